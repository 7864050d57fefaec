#include "generator/rss.h"

#include <cstdio>

#include "util/text.h"
#include "util/utf8.h"

namespace tessary::generator {
namespace {

const char* const kCrLf = "\r\n";

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

// A web address feed readers can follow: http:// or https://.
bool isHttpAddress(std::string_view s) {
  return s.size() >= 2 && (util::startsWithNoCase(s, "http://") || util::startsWithNoCase(s, "https://"));
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
    const size_t start = i;
    const char32_t cp = util::nextChar(text, i);
    if (allowedInXml(cp)) {
      switch (cp) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
          if (i - start > 1 || cp < 0x80) {
            out.append(text.substr(start, i - start));
          } else {
            util::appendUtf8(out, cp);  // a stray byte read as Windows-1252
          }
      }
    }
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
