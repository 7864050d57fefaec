// The two feeds of a blog: RSS 0.91 and RSS 2.0, built side by side while the
// home pass walks the entries from the newest to the oldest. FeedBuilder holds
// both documents while they grow; the caller hands it the values of each entry
// already computed (links, formatted texts) and writes the finished documents
// through WritePage. Every value between tags is escaped and every line ends in
// CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "store/blog_options.h"
#include "util/date_time.h"
#include "util/progress_log.h"

namespace tessary::generator {

// The web address named in the RSS 2.0 generator element.
inline constexpr std::string_view kProductWebAddress = "https://github.com/tessary/tessary";
// The system identifier of the RSS 0.91 document type.
inline constexpr std::string_view kRss091SystemId = "http://my.netscape.com/publish/formats/rss-0.91.dtd";

// Escapes a text for use between the tags of a feed: "&", "<", ">", the double
// and the single quote become entities (in that order). The result is always
// well-formed XML character data: valid UTF-8 sequences pass unchanged, a byte
// that does not start a valid sequence is read as a Windows-1252 character and
// converted to UTF-8, and control characters other than tab, line feed and
// carriage return (which XML 1.0 forbids) are dropped.
std::string EscapeXml(std::string_view text);

// "Tue, 2 Mar 2004 00:05:00 +0100": the date as it stands (no conversion),
// followed by the given offset from UTC in minutes.
std::string Rfc822Date(util::DateTime value, int utcOffsetMinutes);

// The run values of the feeds.
struct FeedSettings {
  std::string blogAddress;   // option 102 trimmed, with a trailing "/" when longer than one character
  std::string channelTitle;
  std::string channelLink;
  std::string channelDescription;
  util::DateTime channelDate = 0;
  int itemLimit = 10;
  int utcOffsetMinutes = 0;  // in force when the run started, applied to every date
  bool fullText = true;      // option 410 is 0: the whole formatted entry in RSS 2.0 items
  std::string coolLinkCaption;
};

// Computes the run values from the options. The item limit (option 411) is
// brought into 1 to 100 and written back to `options`. newestRowDate is the
// BlogDateTime of the newest row of the blog (any type), 0 when there is none;
// `now` stands in when it is not above zero.
FeedSettings computeFeedSettings(store::BlogOptionsRec& options, const std::string& prefix,
                                 const std::string& ext, util::DateTime newestRowDate,
                                 util::DateTime now, int utcOffsetMinutes);

// Writes the two red line pairs when option 102 or the channel link is not an
// "http://" or "https://" address. The feeds are built in any case.
void warnAboutFeedAddresses(const store::BlogOptionsRec& options, const FeedSettings& settings,
                            ProgressLog& log);

// One entry offered to the feeds. Texts are raw (unescaped).
struct FeedItem {
  int32_t type = 0;           // only blog entries (0) and articles (1) make items
  std::string title;          // BlogTitle
  std::string link;           // blog address + the entry's permalink
  util::DateTime date = 0;    // BlogDateTime
  std::string plainTeaser;    // CutTeaser of the stored text (RSS 0.91)
  std::string formattedTeaser;  // CutTeaser of the formatted text (RSS 2.0, teaser mode)
  std::string formattedText;  // the formatted text (RSS 2.0, full mode)
  std::string coolUrl;        // BlogCoolURL
};

class FeedBuilder {
 public:
  // Clears both documents and writes the two channel heads.
  void start(const FeedSettings& settings);
  // Counts the item and adds it to both documents while the limit allows.
  // Types other than 0 and 1 are not counted. Returns true when it was added.
  bool addItem(const FeedItem& item);
  // Closes both documents and resolves "[%RANDOM%]" (one draw per document)
  // and the two escapes.
  void finish(const std::function<int()>& drawRandom);

  const std::string& rss091() const { return rss091_; }
  const std::string& rss20() const { return rss20_; }
  int itemCounter() const { return counter_; }
  // Counts items of types 0 and 1 that are not offered, past the limit.
  void countItemsPastLimit(int items) { counter_ += items; }

 private:
  FeedSettings settings_;
  std::string rss091_, rss20_;
  int counter_ = 0;
};

}  // namespace tessary::generator
