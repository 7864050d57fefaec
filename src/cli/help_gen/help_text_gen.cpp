// Build tool: turns the desktop program's help (the contents file and one
// rich-text document per topic) into a C++ source of plain texts, so that
// tessary-cli prints the same help in a terminal without Qt.
//
//   tessary-help-text-gen CONTENTS TOPICS_DIR OUT.cpp
//
// The documents use a small HTML subset: h2, h3, p, ul, ol, li, pre, a, b, i,
// code and a few character entities. Headings are underlined, paragraphs and
// list items wrapped at 78 columns, examples indented by four blanks, and the
// captions (bold) quoted.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kWidth = 78;

std::string readFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

size_t codePoints(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string decodeEntities(const std::string& s) {
  static const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"},       {"&gt;", ">"},          {"&quot;", "\""},         {"&#39;", "'"},
      {"&nbsp;", " "},     {"&middot;", "\xC2\xB7"}, {"&rsaquo;", "\xE2\x80\xBA"}, {"&amp;", "&"}};
  std::string out;
  for (size_t i = 0; i < s.size();) {
    bool done = false;
    if (s[i] == '&') {
      for (const auto& [from, to] : entities) {
        const std::string f(from);
        if (s.compare(i, f.size(), f) == 0) {
          out += to;
          i += f.size();
          done = true;
          break;
        }
      }
    }
    if (!done) out += s[i++];
  }
  return out;
}

// Words of a text, whitespace collapsed.
std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> w;
  std::istringstream in(s);
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

class TextWriter {
 public:
  void text(const std::string& t) { inline_ += t; }
  void blankLine() {
    if (!out_.empty() && out_.compare(out_.size() - 2, 2, "\n\n") != 0) out_ += "\n";
  }
  // Ends the block of inline text: wrapped, the first line after `first`, the
  // others after as many blanks.
  void flush(const std::string& first = "") {
    const std::vector<std::string> ws = words(decodeEntities(inline_));
    inline_.clear();
    if (ws.empty()) return;
    const std::string hang(codePoints(first), ' ');
    std::string line = first;
    size_t width = codePoints(first);
    bool empty = true;
    for (const std::string& w : ws) {
      const size_t n = codePoints(w);
      if (!empty && width + 1 + n > kWidth) {
        out_ += line + "\n";
        line = hang;
        width = hang.size();
        empty = true;
      }
      if (!empty) {
        line += ' ';
        ++width;
      }
      line += w;
      width += n;
      empty = false;
    }
    out_ += line + "\n";
  }
  void heading(char underline) {
    const std::string t = decodeEntities(inline_);
    inline_.clear();
    std::string title;
    for (const std::string& w : words(t)) title += (title.empty() ? "" : " ") + w;
    blankLine();
    out_ += title + "\n" + std::string(codePoints(title), underline) + "\n\n";
  }
  void verbatim(const std::string& raw) {
    std::string t = decodeEntities(raw);
    while (!t.empty() && t.front() == '\n') t.erase(t.begin());
    std::istringstream in(t);
    for (std::string l; std::getline(in, l);) out_ += "    " + l + "\n";
    out_ += "\n";
  }
  std::string finish() {
    flush();
    while (out_.size() >= 2 && out_.compare(out_.size() - 2, 2, "\n\n") == 0) out_.pop_back();
    return out_;
  }

 private:
  std::string inline_;
  std::string out_;
};

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string toPlainText(const std::string& html) {
  TextWriter w;
  int listNumber = 0;  // 0 in a bulleted list, else the next number
  bool inItem = false;
  std::string itemPrefix;
  for (size_t i = 0; i < html.size();) {
    if (html[i] != '<') {
      const size_t next = html.find('<', i);
      w.text(html.substr(i, next == std::string::npos ? std::string::npos : next - i));
      i = next == std::string::npos ? html.size() : next;
      continue;
    }
    const size_t close = html.find('>', i);
    if (close == std::string::npos) break;
    const std::string tag = lower(html.substr(i + 1, close - i - 1));
    size_t end = 1;  // past a leading "/" of a closing tag
    while (end < tag.size() && tag[end] != ' ' && tag[end] != '\t' && tag[end] != '\n' && tag[end] != '/') ++end;
    const std::string name = tag.substr(0, end);
    i = close + 1;
    if (name == "pre") {
      const size_t end = html.find("</pre>", i);
      w.flush();
      w.verbatim(html.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? html.size() : end + 6;
    } else if (name == "h2" || name == "h3") {
      w.flush();
    } else if (name == "/h2" || name == "/h3") {
      w.heading(name == "/h2" ? '=' : '-');
    } else if (name == "p") {
      w.flush(inItem ? itemPrefix : "");
      if (!inItem) w.blankLine();
    } else if (name == "/p") {
      w.flush();
      w.blankLine();
    } else if (name == "ul" || name == "ol") {
      w.flush();
      w.blankLine();
      listNumber = name == "ol" ? 1 : 0;
    } else if (name == "/ul" || name == "/ol") {
      if (inItem) w.flush(itemPrefix);
      inItem = false;
      w.blankLine();
    } else if (name == "li") {
      if (inItem) w.flush(itemPrefix);
      itemPrefix = listNumber > 0 ? "  " + std::to_string(listNumber++) + ". " : "  - ";
      inItem = true;
    } else if (name == "/li") {
      w.flush(itemPrefix);
      inItem = false;
    } else if (name == "br") {
      w.flush(inItem ? itemPrefix : "");
    }
    else if (name == "b" || name == "/b") {
      w.text("\"");  // a caption of the program, quoted as in a sentence
    }
    // Other inline tags (a, i, code, span) and the document's frame add nothing.
  }
  return w.finish();
}

std::string cString(const std::string& s) {
  std::string out = "\"";
  size_t run = 0;
  for (unsigned char c : s) {
    if (run > 2000) {  // long literals are split; the compiler joins them
      out += "\"\n    \"";
      run = 0;
    }
    if (c == '\\' || c == '"') out += '\\', out += static_cast<char>(c);
    else if (c == '\n') out += "\\n";
    else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else out += static_cast<char>(c);
    ++run;
  }
  return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: tessary-help-text-gen CONTENTS TOPICS_DIR OUT.cpp\n";
    return 2;
  }
  bool ok = false;
  const std::string contents = readFile(argv[1], ok);
  if (!ok) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 1;
  }
  std::ostringstream out;
  out << "// Generated from the help topics by tessary-help-text-gen; do not edit.\n"
      << "#include \"cli/help_topics.h\"\n\nnamespace tessary::cli {\n\nconst HelpTopicText kHelpTopics[] = {\n";
  size_t count = 0;
  // The items as the help window reads them: bracketed, split at the first "|".
  for (size_t at = 0;;) {
    const size_t open = contents.find('[', at);
    if (open == std::string::npos) break;
    const size_t close = contents.find(']', open + 1);
    if (close == std::string::npos) break;
    const std::string item = contents.substr(open + 1, close - open - 1);
    at = close + 1;
    const size_t bar = item.find('|');
    if (bar == std::string::npos || item.size() < 2) continue;
    const int level = item[0] >= '0' && item[0] <= '3' ? item[0] - '0' : 0;
    const std::string title = item.substr(2, bar - 2);
    const std::string topic = item.substr(bar + 1);
    const std::string path = std::string(argv[2]) + "/" + topic + ".html";
    const std::string html = readFile(path, ok);
    if (!ok) {
      std::cerr << "cannot read " << path << "\n";
      return 1;
    }
    out << "    {" << cString(topic) << ", " << cString(title) << ", " << level << ",\n     "
        << cString(toPlainText(html)) << "},\n";
    ++count;
  }
  out << "};\n\nconst size_t kHelpTopicCount = " << count << ";\n\n}  // namespace tessary::cli\n";
  std::ofstream file(argv[3], std::ios::binary | std::ios::trunc);
  file << out.str();
  file.close();
  if (!file) {
    std::cerr << "cannot write " << argv[3] << "\n";
    return 1;
  }
  return 0;
}
