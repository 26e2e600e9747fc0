// Drop-down lists, list boxes and trees of the dialog library. Items carry the raw bytes of
// their text, so a file name that does not decode cleanly still names its file.
#include "window/dialog_controls.h"

#include <QComboBox>
#include <QFile>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QIcon>
#include <QImage>
#include <QAbstractItemView>
#include <QListWidget>
#include <QPixmap>
#include <QTreeWidget>

#include <algorithm>
#include <map>
#include <optional>

#include "window/dialog_record.h"

namespace kelm::window {
namespace {

constexpr int kRawText = Qt::UserRole;

// A tree that keeps the images its items are given.
class ImageTree : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  std::vector<QIcon> images;
};

bool isEnter(const QEvent& event) {
  if (event.type() != QEvent::KeyPress) return false;
  const int key = static_cast<const QKeyEvent&>(event).key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Enter acts on the list control that has the focus and never reaches the dialog's default
// button: in a tree it opens or closes the current item, in a drop-down it confirms the entry.
class EnterStaysHere : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!isEnter(*event)) return false;
    if (auto* tree = qobject_cast<QTreeWidget*>(watched)) {
      if (QTreeWidgetItem* item = tree->currentItem()) item->setExpanded(!item->isExpanded());
    } else if (auto* box = qobject_cast<QComboBox*>(watched); box != nullptr && box->currentIndex() >= 0) {
      emit box->activated(box->currentIndex());
    }
    return true;
  }
};

void keepEnter(QWidget& control) { control.installEventFilter(new EnterStaysHere(&control)); }

std::map<int, BitmapTemplate>& bitmaps() {
  static std::map<int, BitmapTemplate> registered;
  return registered;
}

QString shown(std::string_view raw) {
  return QFile::decodeName(QByteArray(raw.data(), static_cast<qsizetype>(raw.size())));
}

QByteArray rawBytes(std::string_view raw) { return QByteArray(raw.data(), static_cast<qsizetype>(raw.size())); }

std::string rawText(const QVariant& data) {
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool sortsBefore(const QString& a, const QString& b) {
  const int folded = a.compare(b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : a < b;
}

// Hidden directories after the others, as file managers show them.
bool treeSortsBefore(const QString& a, const QString& b) {
  const bool hiddenA = a.startsWith('.'), hiddenB = b.startsWith('.');
  return hiddenA != hiddenB ? hiddenB : sortsBefore(a, b);
}

// Position after every entry that does not sort after text, so equal texts keep their order.
template <class TextAt>
int sortedPosition(int count, const QString& text, TextAt textAt, bool (*before)(const QString&, const QString&) = sortsBefore) {
  int low = 0, high = count;
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (before(text, textAt(middle))) high = middle;
    else low = middle + 1;
  }
  return low;
}

std::optional<QPixmap> loadBitmap(int resource) {
  const auto it = bitmaps().find(resource);
  if (it == bitmaps().end()) return std::nullopt;
  const BitmapTemplate& b = it->second;
  if (b.width <= 0 || b.height <= 0 || b.rows.size() != static_cast<std::size_t>(b.height)) return std::nullopt;
  QImage image(b.width, b.height, QImage::Format_ARGB32);
  for (int y = 0; y < b.height; ++y) {
    const std::string_view row = b.rows[static_cast<std::size_t>(y)];
    if (row.size() != static_cast<std::size_t>(b.width)) return std::nullopt;
    for (int x = 0; x < b.width; ++x) {
      const auto entry = std::find_if(b.palette.begin(), b.palette.end(),
                                      [&](const PaletteEntry& p) { return p.key == row[static_cast<std::size_t>(x)]; });
      if (entry == b.palette.end()) return std::nullopt;
      const std::int32_t rgb = entry->rgb;
      image.setPixel(x, y, (rgb & 0xFFFFFF) == 0xFFFFFF
                               ? qRgba(0, 0, 0, 0)
                               : qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    }
  }
  return QPixmap::fromImage(image);
}

void report(int handle, DialogMessage message) {
  LoadedDialog* d = findDialog(handle);
  if (d != nullptr && d->procedure != nullptr) d->procedure(handle, message);
}

// ---- trees ----------------------------------------------------------------------------

std::string rawName(const QTreeWidgetItem* item) { return rawText(item->data(0, kRawText)); }

std::vector<std::string> pathOf(const QTreeWidgetItem* item) {
  std::vector<std::string> path;
  for (; item != nullptr; item = item->parent()) path.push_back(rawName(item));
  std::reverse(path.begin(), path.end());
  return path;
}

QTreeWidgetItem* itemAt(QTreeWidget& tree, std::span<const std::string> path) {
  QTreeWidgetItem* item = tree.invisibleRootItem();
  for (const std::string& name : path) {
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && next == nullptr; ++i) {
      if (rawName(item->child(i)) == name) next = item->child(i);
    }
    if (next == nullptr) return nullptr;
    item = next;
  }
  return item;
}

void mergeEntries(QTreeWidgetItem& parent, std::span<const TreeEntry> entries, const ImageTree& tree);

QTreeWidgetItem* newItem(const TreeEntry& entry, const QString& text, const ImageTree& tree) {
  auto* item = new QTreeWidgetItem(QStringList{text});
  item->setData(0, kRawText, rawBytes(entry.name));
  if (entry.image >= 0 && static_cast<std::size_t>(entry.image) < tree.images.size()) {
    item->setIcon(0, tree.images[static_cast<std::size_t>(entry.image)]);
  }
  mergeEntries(*item, entry.children, tree);
  return item;
}

// New items go in as few runs as possible: inserting them one by one makes the view redo its
// layout for each, which is slow for directories with thousands of entries.
void insertSorted(QTreeWidgetItem& parent, std::vector<std::pair<QString, const TreeEntry*>>& added,
                  const ImageTree& tree) {
  std::stable_sort(added.begin(), added.end(),
                   [](const auto& a, const auto& b) { return treeSortsBefore(a.first, b.first); });
  const int existing = parent.childCount();
  std::vector<int> positions;
  positions.reserve(added.size());
  for (const auto& [text, entry] : added) {
    positions.push_back(sortedPosition(existing, text, [&](int i) { return parent.child(i)->text(0); }, treeSortsBefore));
  }
  // From the back, so that the positions still to come stay valid.
  std::size_t end = added.size();
  while (end > 0) {
    std::size_t begin = end - 1;
    while (begin > 0 && positions[begin - 1] == positions[end - 1]) --begin;
    QList<QTreeWidgetItem*> run;
    run.reserve(static_cast<qsizetype>(end - begin));
    for (std::size_t i = begin; i < end; ++i) run.append(newItem(*added[i].second, added[i].first, tree));
    parent.insertChildren(positions[end - 1], run);
    end = begin;
  }
}

void mergeEntries(QTreeWidgetItem& parent, std::span<const TreeEntry> entries, const ImageTree& tree) {
  QHash<QByteArray, QTreeWidgetItem*> existing;
  for (int i = 0; i < parent.childCount(); ++i) existing.insert(parent.child(i)->data(0, kRawText).toByteArray(), parent.child(i));
  std::vector<std::pair<QString, const TreeEntry*>> added;
  for (const TreeEntry& entry : entries) {
    QTreeWidgetItem* item = existing.value(rawBytes(entry.name), nullptr);
    if (item != nullptr) mergeEntries(*item, entry.children, tree);
    else added.emplace_back(shown(entry.name), &entry);
  }
  insertSorted(parent, added, tree);
}

QWidget* makeTree(QDialog& dialog, int handle, int id) {
  auto* tree = new ImageTree(&dialog);
  tree->setHeaderHidden(true);
  tree->setRootIsDecorated(true);
  tree->setUniformRowHeights(true);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setIconSize(QSize(20, 12));
  // Deep names scroll sideways instead of being cut.
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  keepEnter(*tree);
  QObject::connect(tree, &QTreeWidget::itemExpanded, tree, [handle, id](QTreeWidgetItem* item) {
    report(handle, {DialogEvent::itemExpanding, id, pathOf(item)});
  });
  return tree;
}

// ---- drop-down lists and list boxes ---------------------------------------------------

QComboBox* dropDown(int dialog, int control) { return findControl<QComboBox>(dialog, control); }
QListWidget* listBox(int dialog, int control) { return findControl<QListWidget>(dialog, control); }

}  // namespace

QWidget* makeListControl(const ControlTemplate& c, QDialog& dialog, int handle) {
  switch (c.kind) {
    case ControlKind::dropDownList: {
      auto* box = new QComboBox(&dialog);
      QObject::connect(box, &QComboBox::currentTextChanged, box, &QComboBox::setToolTip);
      const int id = c.id;
      QObject::connect(box, &QComboBox::activated, box,
                       [handle, id] { report(handle, {DialogEvent::entryConfirmed, id, {}}); });
      keepEnter(*box);
      return box;
    }
    case ControlKind::listBox: {
      auto* list = new QListWidget(&dialog);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      keepEnter(*list);
      return list;
    }
    default:
      return makeTree(dialog, handle, c.id);
  }
}

void registerBitmap(const BitmapTemplate& bitmap) { bitmaps()[bitmap.resource] = bitmap; }

int addListEntry(int dialog, int control, std::string_view text) {
  const QString entry = shown(text);
  if (QComboBox* box = dropDown(dialog, control)) {
    const int at = sortedPosition(box->count(), entry, [&](int i) { return box->itemText(i); });
    box->insertItem(at, entry, rawBytes(text));
    // Paths are wider than the box; its open list shows them whole.
    const int width = box->fontMetrics().horizontalAdvance(entry) + 2 * box->iconSize().width();
    box->view()->setMinimumWidth(std::max(box->view()->minimumWidth(), width));
    return 1;
  }
  if (QListWidget* list = listBox(dialog, control)) {
    const int at = sortedPosition(list->count(), entry, [&](int i) { return list->item(i)->text(); });
    auto* item = new QListWidgetItem(entry);
    item->setData(kRawText, rawBytes(text));
    list->insertItem(at, item);
    return 1;
  }
  return 0;
}

int listEntryCount(int dialog, int control) {
  if (QComboBox* box = dropDown(dialog, control)) return box->count();
  if (QListWidget* list = listBox(dialog, control)) return list->count();
  return -1;
}

std::string listEntry(int dialog, int control, int index) {
  if (index < 0 || index >= listEntryCount(dialog, control)) return {};
  if (QComboBox* box = dropDown(dialog, control)) return rawText(box->itemData(index));
  return rawText(listBox(dialog, control)->item(index)->data(kRawText));
}

int selectListEntry(int dialog, int control, std::string_view text) {
  QComboBox* box = dropDown(dialog, control);
  if (box == nullptr) return 0;
  box->setCurrentIndex(box->findData(rawBytes(text)));
  return 1;
}

std::string selectedListEntry(int dialog, int control) {
  QComboBox* box = dropDown(dialog, control);
  return box != nullptr && box->currentIndex() >= 0 ? rawText(box->currentData()) : std::string();
}

int deleteSelectedListEntry(int dialog, int control) {
  QListWidget* list = listBox(dialog, control);
  if (list == nullptr) return 0;
  for (QListWidgetItem* item : list->selectedItems()) delete list->takeItem(list->row(item));
  return 1;
}

int clearList(int dialog, int control) {
  QListWidget* list = listBox(dialog, control);
  if (list == nullptr) return 0;
  list->clear();
  return 1;
}

int setTreeImages(int dialog, int control, std::span<const int> bitmapResources) {
  auto* tree = dynamic_cast<ImageTree*>(findControl<QTreeWidget>(dialog, control));
  if (tree == nullptr) return 0;
  std::vector<QIcon> images;
  for (int resource : bitmapResources) {
    if (const std::optional<QPixmap> pixmap = loadBitmap(resource)) images.emplace_back(*pixmap);
  }
  if (images.size() == bitmapResources.size()) tree->images = images;
  return static_cast<int>(images.size());
}

int addTreeEntries(int dialog, int control, std::span<const std::string> parent,
                   std::span<const TreeEntry> entries) {
  auto* tree = dynamic_cast<ImageTree*>(findControl<QTreeWidget>(dialog, control));
  QTreeWidgetItem* item = tree != nullptr ? itemAt(*tree, parent) : nullptr;
  if (item == nullptr) return 0;
  mergeEntries(*item, entries, *tree);
  return 1;
}

std::vector<std::string> selectedTreePath(int dialog, int control) {
  QTreeWidget* tree = findControl<QTreeWidget>(dialog, control);
  if (tree == nullptr || tree->selectedItems().isEmpty()) return {};
  return pathOf(tree->selectedItems().first());
}

int clearTree(int dialog, int control) {
  QTreeWidget* tree = findControl<QTreeWidget>(dialog, control);
  if (tree == nullptr) return 0;
  tree->clear();
  return 1;
}

}  // namespace kelm::window
