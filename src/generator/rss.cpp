#include "generator/rss.h"

#include <cstdio>

#include "util/text.h"

namespace tessary::generator {
namespace {

const char* const kCrLf = "\r\n";

// Windows-1252 for the bytes 0x80 to 0x9F; the five unassigned bytes keep their code.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Length of the valid UTF-8 sequence starting at s[i] and its code point; 0
// when the byte there does not start one.
size_t utf8Sequence(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len;
  char32_t min;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2, min = 0x80, cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, min = 0x800, cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool allowedInXml(char32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  return c != 0xFFFE && c != 0xFFFF;
}

std::string line(std::string_view tag, std::string_view escapedValue) {
  std::string s;
  s.reserve(escapedValue.size() + 2 * tag.size() + 7);
  s += '<';
  s += tag;
  s += '>';
  s += escapedValue;
  s += "</";
  s += tag;
  s += '>';
  s += kCrLf;
  return s;
}

bool isHttpAddress(std::string_view s) {
  return s.size() >= 2 && util::startsWithNoCase(s, "http://");
}

std::string resolveFeedEscapes(std::string doc, int number) {
  doc = util::replaceAll(doc, "[%RANDOM%]", std::to_string(number));
  doc = util::replaceAll(doc, "**[**%", "[%");
  return util::replaceAll(doc, "**%**]", "%]");
}

}  // namespace

std::string EscapeXml(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp;
    size_t len = utf8Sequence(text, i, cp);
    if (len == 0) {
      const auto b = static_cast<unsigned char>(text[i]);
      cp = b < 0xA0 ? kCp1252High[b - 0x80] : char32_t(b);
      len = 1;
    }
    if (allowedInXml(cp)) {
      switch (cp) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
          if (len > 1 || cp < 0x80) {
            out.append(text.substr(i, len));
          } else {
            appendUtf8(out, cp);
          }
      }
    }
    i += len;
  }
  return out;
}

std::string Rfc822Date(util::DateTime value, int utcOffsetMinutes) {
  static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  const util::CivilTime t = util::decodeDateTime(value);
  const int dow = util::isoDayOfWeek(value);
  const int off = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[(dow + 6) % 7],
                t.day, util::shortMonthName(t.month).c_str(), t.year, t.hour, t.minute, t.second,
                utcOffsetMinutes < 0 ? '-' : '+', (off / 60) % 100, off % 60);
  return buf;
}

FeedSettings computeFeedSettings(store::BlogOptionsRec& options, const std::string& prefix,
                                 const std::string& ext, util::DateTime newestRowDate,
                                 util::DateTime now, int utcOffsetMinutes) {
  FeedSettings s;
  s.blogAddress = util::trim(options.BlogUrl);
  if (util::charCount(s.blogAddress) > 1 && !util::endsWith(s.blogAddress, "/")) s.blogAddress += '/';
  s.channelTitle = options.RSSChannelTitle.empty() ? options.BlogTitle : options.RSSChannelTitle;
  s.channelLink = options.RSSChannelLink.empty()
                      ? s.blogAddress + prefix + options.IndexPageName + ext
                      : options.RSSChannelLink;
  s.channelDescription = options.RSSDescription;
  s.channelDate = newestRowDate > 0 ? newestRowDate : now;
  if (options.RSSItemEntries < 1) options.RSSItemEntries = 1;
  if (options.RSSItemEntries > 100) options.RSSItemEntries = 100;
  s.itemLimit = options.RSSItemEntries;
  s.utcOffsetMinutes = utcOffsetMinutes;
  s.fullText = options.RSSItemText == 0;
  s.coolLinkCaption = options.CoolLinkCaption;
  return s;
}

void warnAboutFeedAddresses(const store::BlogOptionsRec& options, const FeedSettings& settings,
                            ProgressLog& log) {
  static const char* const kWarning = "*** Warning: RSS feed files will not validate - data missing";
  if (!isHttpAddress(util::trim(options.BlogUrl))) {
    log.AppendColouredLine(colours::kRed, kWarning);
    log.AppendColouredLine(colours::kRed,
                           "*** Please visit the OPTIONS page for BASIC OPTIONS and enter a valid "
                           "BLOG URL. For example http://www.example.com/blog/");
  }
  if (!isHttpAddress(settings.channelLink)) {
    log.AppendColouredLine(colours::kRed, kWarning);
    log.AppendColouredLine(colours::kRed,
                           "*** Please visit the OPTIONS page for RSS OPTIONS and enter a valid "
                           "RSS CHANNEL LINK. For example http://www.example.com/blog/index.html");
  }
}

void FeedBuilder::start(const FeedSettings& settings) {
  settings_ = settings;
  counter_ = 0;
  const std::string date = Rfc822Date(settings.channelDate, settings.utcOffsetMinutes);
  std::string channel;
  channel += line("title", EscapeXml(settings.channelTitle));
  channel += line("link", EscapeXml(settings.channelLink));
  channel += line("description", EscapeXml(settings.channelDescription));
  channel += line("language", "en-us");
  channel += line("pubDate", EscapeXml(date));
  channel += line("lastBuildDate", EscapeXml(date));

  rss091_.clear();
  rss091_ += "<?xml version=\"1.0\" ?>\r\n";
  rss091_ += "<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" \"";
  rss091_ += kRss091SystemId;
  rss091_ += "\">\r\n";
  rss091_ += "<rss version=\"0.91\">\r\n<channel>\r\n";
  rss091_ += channel;

  rss20_.clear();
  rss20_ += "<?xml version=\"1.0\" ?>\r\n<rss version=\"2.0\">\r\n<channel>\r\n";
  rss20_ += channel;
  rss20_ += line("generator", EscapeXml("Tessary ( " + std::string(kProductWebAddress) + " )"));
}

bool FeedBuilder::addItem(const FeedItem& item) {
  if (item.type != 0 && item.type != 1) return false;
  ++counter_;
  if (counter_ > settings_.itemLimit) return false;
  const std::string title = line("title", EscapeXml(item.title));
  const std::string link = EscapeXml(item.link);

  rss091_ += "<item>\r\n";
  rss091_ += title;
  rss091_ += line("link", link);
  rss091_ += line("description", EscapeXml(item.plainTeaser));
  rss091_ += "</item>\r\n";

  rss20_ += "<item>\r\n";
  rss20_ += title;
  rss20_ += line("link", link);
  rss20_ += line("guid", link);
  rss20_ += line("pubDate", EscapeXml(Rfc822Date(item.date, settings_.utcOffsetMinutes)));
  if (settings_.fullText) {
    std::string description = EscapeXml("<BASE HREF=\"" + settings_.blogAddress + "\">");
    description += EscapeXml(item.formattedText);
    if (!item.coolUrl.empty()) {
      description += EscapeXml(" <A HREF=\"" + item.coolUrl + "\" target=\"_blank\">" +
                               settings_.coolLinkCaption + "</A>");
    }
    rss20_ += line("description", description);
  } else {
    rss20_ += line("description", EscapeXml(item.formattedTeaser));
  }
  rss20_ += "</item>\r\n";
  return true;
}

void FeedBuilder::finish(const std::function<int()>& drawRandom) {
  rss091_ += "</channel>\r\n</rss>\r\n";
  rss20_ += "</channel>\r\n</rss>\r\n";
  rss091_ = resolveFeedEscapes(std::move(rss091_), drawRandom());
  rss20_ = resolveFeedEscapes(std::move(rss20_), drawRandom());
}

}  // namespace tessary::generator
