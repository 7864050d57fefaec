// The progress log: the lines in which the long runs (generation, template file
// installation, publishing) report every step. The desktop window, the console
// and the recording log of the tests implement it. Writing a line is also where a
// front end lets its window repaint.
#pragma once

#include <cstdint>
#include <string>

namespace tessary {

struct Colour {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

namespace colours {
inline constexpr Colour kRed{255, 0, 0};      // errors and warnings
inline constexpr Colour kGreen{0, 128, 0};    // a page takes the name of an index page
inline constexpr Colour kBlack{0, 0, 0};      // the publishers' opening lines
inline constexpr Colour kBlue{0, 0, 255};     // the FTP conversation
}  // namespace colours

class ProgressLog {
 public:
  virtual ~ProgressLog() = default;
  // Removes every line.
  virtual void ClearLog() = 0;
  // Adds text as the new last line in the default colour.
  virtual void AppendLine(const std::string& text) = 0;
  // Adds text as the new last line in the colour; the next line is plain again.
  virtual void AppendColouredLine(Colour colour, const std::string& text) = 0;
};

// A log that drops every line.
class NullProgressLog : public ProgressLog {
 public:
  void ClearLog() override {}
  void AppendLine(const std::string&) override {}
  void AppendColouredLine(Colour, const std::string&) override {}
};

}  // namespace tessary
