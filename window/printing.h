#pragma once
// One printed page: the printer chosen in the print dialog owned by the frame (or named by
// the program's environment variable), a one-page document named by the program, and a page
// that the program draws on itself, line by line and text by text.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelm::window {

// What the program learns of the printer before it lays out its page.
struct PrinterFacts {
  std::int32_t horzSizeMm = 0, vertSizeMm = 0;  // the printable area
  std::int32_t logPixelsX = 0, logPixelsY = 0;  // device units per inch
};

// The open page, in device units from the top-left corner of the printable area, y growing
// downwards; black on white.
class PrinterPage {
 public:
  virtual ~PrinterPage() = default;
  virtual void moveTo(std::int16_t x, std::int16_t y) = 0;
  virtual void lineTo(std::int16_t x, std::int16_t y) = 0;
  // The text's top-left corner at the current position, blanks included.
  virtual void drawText(std::string_view text) = 0;
  virtual std::int32_t textWidth(std::string_view text) const = 0;
  virtual std::int32_t textHeight() const = 0;
  virtual std::int32_t setPenWidth(std::int32_t deviceUnits) = 0;  // returns the previous
};

using PageDrawing = std::function<void(PrinterPage& page, const PrinterFacts& facts)>;

enum class PrintOutcome { printed, cancelled, failed };

// The program's words for its printing.
struct PrintWords {
  const char* documentName = "";  // every print job and PDF, and the caption of printing's boxes
  // Names a file ending in ".pdf" or "printer:NAME" that takes the page instead of the dialog.
  const char* targetVariable = "";
};

// Message thread. Opens the dialog on the system's default printer, unless the target variable
// names a file ending in ".pdf" or "printer:NAME"; then prints one copy of one page drawn by
// draw. Cancel prints nothing and says nothing; a failure says in a message box that the
// page was not printed, and why.
PrintOutcome printPage(const PrintWords& words, const PageDrawing& draw);

// Any thread. Pages 0 .. pages - 1 drawn in turn into one PDF document of that name, each set
// up as a printed page's PDF is: the document's bytes, or empty with why it could not be made.
using DocumentPageDrawing = std::function<void(int page, PrinterPage& printer, const PrinterFacts& facts)>;
std::string pdfDocument(const char* documentName, int pages, const DocumentPageDrawing& draw, std::string& why);

}  // namespace kelm::window
