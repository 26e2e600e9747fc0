#include "window/convergence_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

class ConvergencePlot : public QWidget {
 public:
  explicit ConvergencePlot(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setAttribute(Qt::WA_DeleteOnClose);
    resize(420, 280);
  }
  void setChanges(std::vector<double> changes) {
    changes_ = std::move(changes);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRect plot = rect().adjusted(58, 14, -14, -40);
    p.setPen(Qt::black);
    p.drawRect(plot);
    p.drawText(QRect(plot.left(), plot.bottom() + 20, plot.width(), 18), Qt::AlignCenter, "iteration");
    // Decades that hold every positive finite change; a change of 0 sits on the lowest.
    double low = 0, high = 0;
    bool any = false;
    for (double c : changes_) {
      if (!(c > 0) || !std::isfinite(c)) continue;
      const double l = std::log10(c);
      low = any ? std::min(low, l) : l;
      high = any ? std::max(high, l) : l;
      any = true;
    }
    if (!any) {
      p.drawText(plot, Qt::AlignCenter, "No iteration changed anything");
      return;
    }
    const int first = static_cast<int>(std::floor(std::max(low, -300.0)));
    const int last = std::max(first + 1, static_cast<int>(std::ceil(std::min(high, 300.0))));
    const auto y = [&](double c) {
      const double l = c > 0 && std::isfinite(c) ? std::clamp(std::log10(c), double(first), double(last)) : first;
      return plot.bottom() - (l - first) / (last - first) * plot.height();
    };
    const int n = static_cast<int>(changes_.size());
    const auto x = [&](int i) { return plot.left() + (n > 1 ? double(i) / (n - 1) : 0.5) * plot.width(); };
    const int decadeStep = std::max(1, (last - first) / 8);
    for (int d = first; d <= last; d += decadeStep) {
      const double at = y(std::pow(10.0, d));
      p.drawLine(QPointF(plot.left() - 4, at), QPointF(plot.left(), at));
      p.drawText(QRectF(0, at - 9, plot.left() - 6, 18), Qt::AlignRight | Qt::AlignVCenter, QString("1e%1").arg(d));
    }
    p.drawText(QRectF(plot.left() - 10, plot.bottom() + 2, 20, 18), Qt::AlignCenter, "1");
    p.drawText(QRectF(plot.right() - 30, plot.bottom() + 2, 40, 18), Qt::AlignCenter, QString::number(n));
    QPainterPath line;
    for (int i = 0; i < n; ++i) {
      const QPointF at(x(i), y(changes_[static_cast<std::size_t>(i)]));
      if (i == 0) line.moveTo(at);
      else line.lineTo(at);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 192), 2));
    p.drawPath(line);
    for (int i = 0; i < n; ++i) p.drawEllipse(QPointF(x(i), y(changes_[static_cast<std::size_t>(i)])), 2.5, 2.5);
  }

 private:
  std::vector<double> changes_;
};

QPointer<ConvergencePlot> shown;

}  // namespace

void showConvergencePlot(std::string_view title, const std::vector<double>& changes) {
  if (shown == nullptr) shown = new ConvergencePlot(layer().frame);
  shown->setWindowTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
  shown->setChanges(changes);
  shown->show();
  shown->raise();
}

}  // namespace kelm::window
