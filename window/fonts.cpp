// The process-wide font registry, selection by option text, and graphic text.
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "runtime/fp_traps.h"
#include "runtime/text.h"
#include "window/graphics.h"
#include "window/graphics_state.h"
#include "window/surface.h"
#include "window/vector_recorder.h"

namespace kelm::window {

namespace {

constexpr int kFailed = -1, kNoFont = 1, kBeyondEdge = 2, kConflict = 3, kQuoteMissing = -4;
constexpr std::size_t kFaceLimit = 32;

struct FontRecord {
  QString face;
  bool scalable = true;
  bool fixedPitch = false;
  int height = 0;  // cell height of a raster record
  int width = 0;
};

struct Registry {
  std::mutex lock;
  bool filled = false;
  std::vector<FontRecord> records;
  int defaultIndex = -1;
};

Registry& registry() {
  static Registry fonts;
  return fonts;
}

bool fillRegistry(Registry& r) {
  for (const QString& family : QFontDatabase::families()) {
    FontRecord record;
    record.face = family;
    record.scalable = QFontDatabase::isScalable(family);
    record.fixedPitch = QFontDatabase::isFixedPitch(family);
    if (!record.scalable) {
      const QList<int> sizes = QFontDatabase::pointSizes(family);
      record.height = sizes.isEmpty() ? 0 : sizes.first();
    }
    r.records.push_back(record);
    if (record.scalable) r.defaultIndex = static_cast<int>(r.records.size()) - 1;
  }
  r.filled = !r.records.empty();
  return r.filled;
}

// The character cell of the font is height pixels high, as the views lay their text out by it.
QFont makeFont(const FontRecord& record, std::optional<int> height, bool italic, bool underline,
               bool bold) {
  QFont font(record.face);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setItalic(italic);
  font.setUnderline(underline);
  if (bold) font.setWeight(QFont::Bold);
  const int cell = height.value_or(record.height > 0 ? record.height : 16);
  int pixels = std::max(cell, 1);
  font.setPixelSize(pixels);
  while (pixels > 1 && QFontMetrics(font).height() > cell) font.setPixelSize(--pixels);
  return font;
}

// Faces of other systems and the metric-compatible faces that stand in for them here.
QString translatedFace(const QString& face) {
  if (face.compare("Tms Rmn", Qt::CaseInsensitive) == 0) return "Times New Roman";
  if (face.compare("Courier", Qt::CaseInsensitive) == 0) return "Courier New";
  if (face.compare("Helv", Qt::CaseInsensitive) == 0) return "Arial";
  return face;
}

QString standIn(const QString& face) {
  if (face.compare("Arial", Qt::CaseInsensitive) == 0) return "Liberation Sans";
  if (face.compare("Times New Roman", Qt::CaseInsensitive) == 0) return "Liberation Serif";
  if (face.compare("Courier New", Qt::CaseInsensitive) == 0) return "Liberation Mono";
  return {};
}

bool hasFace(const Registry& r, const QString& face) {
  if (face.isEmpty()) return false;
  return std::any_of(r.records.begin(), r.records.end(), [&](const FontRecord& record) {
    return record.face.compare(face, Qt::CaseInsensitive) == 0;
  });
}

struct Options {
  QString face;
  std::optional<int> height, width;
  bool fixed = false, proportional = false, raster = false, scalable = false;
  bool bestFit = false, italic = false, underline = false, bold = false;
  std::optional<int> number;
  int status = 0;
};

int digitsAt(std::string_view text, std::size_t pos) {
  int value = 0;
  for (; pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])); ++pos) {
    value = std::min(value * 10 + (text[pos] - '0'), 100000);
  }
  return value;
}

// One of two letters that exclude each other: after its opposite, neither holds and the
// status tells of the conflict.
void choose(bool& letter, bool& opposite, int& status) {
  if (opposite) opposite = false, status = kConflict;
  else letter = true;
}

bool parseOptions(std::string_view text, Options& o) {
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos])));
    switch (letter) {
      case 't': {
        if (pos + 1 >= text.size() || text[pos + 1] != '\'') {
          o.status = kQuoteMissing;
          return false;
        }
        const std::size_t close = text.find('\'', pos + 2);
        if (close == std::string_view::npos || close - (pos + 2) >= kFaceLimit) return false;
        const std::string_view face = text.substr(pos + 2, close - (pos + 2));
        o.face = QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size()));
        pos = close;
        break;
      }
      case 'h': o.height = digitsAt(text, pos + 1); break;
      case 'w': o.width = digitsAt(text, pos + 1); break;
      case 'f': choose(o.fixed, o.proportional, o.status); break;
      case 'p': choose(o.proportional, o.fixed, o.status); break;
      case 'r': choose(o.raster, o.scalable, o.status); break;
      case 'v': choose(o.scalable, o.raster, o.status); break;
      case 'b': o.bestFit = true; break;
      case 'i': o.italic = true; break;
      case 'u': o.underline = true; break;
      case 'e': o.bold = true; break;
      case 'n': o.number = digitsAt(text, pos + 1); return true;
      default: break;
    }
  }
  return true;
}

bool passes(const FontRecord& record, const Options& o, const QString& face) {
  if (!face.isEmpty() && record.face.compare(face, Qt::CaseInsensitive) != 0) return false;
  if (o.fixed && !record.fixedPitch) return false;
  if (o.proportional && record.fixedPitch) return false;
  if (o.raster && record.scalable) return false;
  if (o.scalable && !record.scalable) return false;
  return true;
}

int applyFont(Surface& surface, const Registry& r, int index, std::optional<int> height,
              const Options& o) {
  surface.font = makeFont(r.records[static_cast<std::size_t>(index)], height, o.italic, o.underline, o.bold);
  surface.fontIndex = index;
  return index + 1;
}

int match(Surface& surface, const Registry& r, const Options& o, const QString& face) {
  int candidate = surface.fontIndex;
  int best = 200;
  for (std::size_t i = 0; i < r.records.size(); ++i) {
    const FontRecord& record = r.records[i];
    if (!passes(record, o, face)) continue;
    if (record.scalable) return applyFont(surface, r, static_cast<int>(i), o.height, o);
    const bool heightFits = !o.height || *o.height == record.height;
    const bool widthFits = !o.width || *o.width == record.width;
    if (o.bestFit) {
      const int distance = (o.height ? std::abs(record.height - *o.height) : 0) +
                           (o.width ? std::abs(record.width - *o.width) : 0);
      if (distance < best) best = distance, candidate = static_cast<int>(i);
    } else if (heightFits && widthFits) {
      return applyFont(surface, r, static_cast<int>(i), std::nullopt, o);
    }
  }
  if (o.bestFit && candidate >= 0 && candidate < static_cast<int>(r.records.size())) {
    return applyFont(surface, r, candidate, std::nullopt, o);
  }
  return kFailed;
}

}  // namespace

int registerFonts() {
  Surface* surface = activeSurface();
  if (surface == nullptr) return -1;
  FloatingPointTrapsSuspended untrapped;
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  const bool firstCall = !r.filled;
  if (!r.filled && !fillRegistry(r)) return 0;
  const int index = firstCall && r.defaultIndex >= 0 ? r.defaultIndex : static_cast<int>(r.records.size()) - 1;
  std::lock_guard surfaceGuard(surface->lock);
  applyFont(*surface, r, index, std::nullopt, Options{});
  return static_cast<int>(r.records.size());
}

int selectFont(std::string_view options) {
  Surface* surface = activeSurface();
  const std::string_view text = trimRight(options);
  if (surface == nullptr || text.empty()) return kFailed;
  FloatingPointTrapsSuspended untrapped;
  Registry& r = registry();
  std::lock_guard guard(r.lock);
  if (!r.filled) return kFailed;
  Options o;
  const bool parsed = parseOptions(text, o);
  setGraphicsStatus(o.status);
  if (!parsed) return kFailed;
  std::lock_guard surfaceGuard(surface->lock);
  if (o.number) {
    if (*o.number < 1 || *o.number > static_cast<int>(r.records.size())) return kFailed;
    return applyFont(*surface, r, *o.number - 1, std::nullopt, o);
  }
  QString face = translatedFace(o.face);
  if (!face.isEmpty() && !hasFace(r, face) && hasFace(r, standIn(face))) face = standIn(face);
  return match(*surface, r, o, face);
}

void drawText(std::string_view text) {
  Surface* surface = activeSurface();
  if (surface == nullptr) return;
  FloatingPointTrapsSuspended untrapped;
  {
    std::lock_guard guard(surface->lock);
    if (surface->fontIndex < 0) {
      setGraphicsStatus(kNoFont);
      return;
    }
    const QString string = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    QPainter painter(&surface->image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(surface->font);
    painter.setPen(QColor::fromRgb(toQRgb(surface->drawColor)));
    const QFontMetrics metrics(surface->font);
    painter.drawText(surface->position + QPoint(0, metrics.ascent()), string);
    if (surface->vectors != nullptr) {
      surface->vectors->text(surface->position + QPoint(0, metrics.ascent()), surface->font,
                             toQRgb(surface->drawColor), string);
    }
    const int advance = metrics.horizontalAdvance(string);
    const QPoint end = surface->position + QPoint(advance, metrics.height());
    setGraphicsStatus(end.x() > surface->image.width() || end.y() > surface->image.height() ? kBeyondEdge : 0);
    surface->position.rx() += advance;
  }
  surface->notifyChanged();
}

}  // namespace kelm::window
