// Says what the clipboard of the display holds, for the whole-program tests: "image WxH",
// "text" or "none"; with --text, the text itself.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QImage image = clipboard->image();
  if (argc > 1 && std::string_view(argv[1]) == "--text") std::printf("%s\n", clipboard->text().toUtf8().constData());
  else if (!image.isNull()) std::printf("image %dx%d\n", image.width(), image.height());
  else std::printf(clipboard->text().isEmpty() ? "none\n" : "text\n");
  // Ends as KELM does: tearing down the display connection under Qt's reader thread is a race
  // inside the libraries that the thread checker reports.
  std::fflush(stdout);
  std::_Exit(0);
}
