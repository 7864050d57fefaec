// The texts of the blog option dialogs and the template chooser: window titles,
// help topics, labels and list items, exactly as the windows show them.
#pragma once

namespace tessary::app::opttexts {

// Help topics.
inline constexpr const char* kTopicBasic = "OptionsBasic";
inline constexpr const char* kTopicAdvanced = "OptionsAdvanced";
inline constexpr const char* kTopicRss = "OptionsRSS";
inline constexpr const char* kTopicFtp = "OptionsFTP";
inline constexpr const char* kTopicVariables = "OptionsCustomVariables";
inline constexpr const char* kTopicTemplate = "OptionsTemplate";

// Basic Options.
inline constexpr const char* kBasicTitle = "Basic Options";
inline constexpr const char* kBlogTitle = "Blog Title";
inline constexpr const char* kBlogUrl = "Blog URL";
inline constexpr const char* kBlogUrlHint = "(for example: http://www.example.com/myblog/ )";
inline constexpr const char* kIndexEntries = "Entries to show on Blog Index";
inline constexpr const char* kIndexEntriesHint = "(1 to 25 entries)";
inline constexpr const char* kArchiveByDate = "Archive by Date";
inline constexpr const char* kArchiveByDateItems[] = {"Create Monthly Pages", "Create Weekly Pages (Monday to Sunday)",
                                                      "Create Daily Pages"};
inline constexpr const char* kArchiveByCategory = "Archive by Category";
inline constexpr const char* kArchiveByCategoryItems[] = {
    "Create Category Pages for Entries and Articles", "Create Category Pages for Articles only",
    "Create Category Pages for Entries only", "Ignore all Categories"};
inline constexpr const char* kEntryDateFormat = "Entry Date Format";
inline constexpr const char* kSiteLanguage = "Site Language";
inline constexpr const char* kSiteLanguageHint = "(the language of the pages: en, de, fr-CA, ...)";
inline constexpr const char* kEntryDateFormatItems[] = {"Month day, year hh:mm (24 hours)",
                                                        "Month day, year hh:mm am/pm (12 hours)",
                                                        "Month day, year",
                                                        "YYYY-MM-DD HH:MM (24 hours)",
                                                        "YYYY-MM-DD",
                                                        "DD-MM-YYYY",
                                                        "DD-MM-YYYY HH:MM (24 hours)",
                                                        "DD-MM-YYYY hh:mm am/pm (12 hours)"};
inline constexpr const char* kAboutMyBlog = "About my Blog";

// Advanced Options.
inline constexpr const char* kAdvancedTitle = "Advanced Options";
inline constexpr const char* kFormattingOfEntries = "Formatting of Entries";
inline constexpr const char* kFormattingItems[] = {"I will enter my own HTML code.",
                                                   "Tessary will try to format each entry.",
                                                   "Markdown (CommonMark)"};
inline constexpr const char* kPageNameExtension = "Page Name Extension";
inline constexpr const char* kExtensionItems[] = {".html", ".htm"};
inline constexpr const char* kPageNamePrefix = "Page Name Prefix";
inline constexpr const char* kHomePageName = "Home Page Name";
inline constexpr const char* kWebPageName = "Web Page Name";
inline constexpr const char* kLinkCaption = "Link Caption";
inline constexpr const char* kShowRecentOnHome = "Show Recent Entries on Home Page";
inline constexpr const char* kRecentEntriesPageName = "Recent Entries Page Name";
inline constexpr const char* kRecentPageTitle = "Page Title for Recent Entries";
inline constexpr const char* kRecentInNavBar = "Include Recent Entries in NavBar";
inline constexpr const char* kArchiveIndexPageName = "Archive Index Page Name";
inline constexpr const char* kTitleArchiveByMonth = "Page Title for Archive by Month";
inline constexpr const char* kTitleDaily = "Page Title for Daily Entries";
inline constexpr const char* kTitleWeekly = "Page Title for Weekly Entries";
inline constexpr const char* kArchiveDefaultDescription = "Include Default Description for Meta Tag on Archive Pages";
inline constexpr const char* kArticleIndexPageName = "Article Index Page Name";
inline constexpr const char* kTitleArticleIndex = "Page Title for Article Index";
inline constexpr const char* kListStyle = "List Style";
inline constexpr const char* kListStyleItems[] = {"Line <BR>", "Paragraph <P>", "Unnumber List <UL>",
                                                  "Numbered List <OL>"};
inline constexpr const char* kArticleIndexInNavBar = "Include Article Index in NavBar";
inline constexpr const char* kArticlesGrouped = "Show Articles grouped by Month";
inline constexpr const char* kArticleTeasers = "Include Article Teasers on Article Index";
inline constexpr const char* kCategoryIndexPageName = "Category Index Page Name";
inline constexpr const char* kTitleCategoryIndex = "Page Title for Category Index";
inline constexpr const char* kCategoryIndexInNavBar = "Include Category Index in NavBar";
inline constexpr const char* kCategoryTeasers = "Include Teasers on Category Indexes";
inline constexpr const char* kArticleUrls = "Article URL's";
inline constexpr const char* kCoolUrls = "Cool URL's";
inline constexpr const char* kParentSite = "Parent Site ( Optional )";
inline constexpr const char* kUrl = "URL";

// RSS Options.
inline constexpr const char* kRssTitle = "RSS Options";
inline constexpr const char* kRss20PageName = "RSS 2.0 Page Name";
inline constexpr const char* kRss091PageName = "RSS 0.91 Page Name";
inline constexpr const char* kSuppressRss091 = "Suppress RSS 0.91 Feed";
inline constexpr const char* kRssChannelTitle = "RSS Channel Title";
inline constexpr const char* kRssChannelLink = "RSS Channel Link";
inline constexpr const char* kRssItemText = "RSS 2.0 Item Text";
inline constexpr const char* kRssItemTextItems[] = {"Show Full Entry (including HTML formatting)",
                                                    "Show First Few Lines Only (no HTML formatting)"};
inline constexpr const char* kItemsToInclude = "Items to Include";
inline constexpr const char* kRssChannelDescription = "RSS Channel Description";

// The publishing dialog.
inline constexpr const char* kFtpTitle = "FTP Options";
inline constexpr const char* kPublishingLocation = "Publishing Location";
inline constexpr const char* kPublishingLocationItems[] = {"Publish using FTP", "Publish using File Copy"};
inline constexpr const char* kFtpOptions = "FTP Options";
inline constexpr const char* kFtpHost = "FTP Host";
inline constexpr const char* kFtpPort = "FTP Port (Usually 21)";
inline constexpr const char* kFtpTargetDirectory = "FTP Target Directory";
inline constexpr const char* kFtpUserid = "FTP Userid";
inline constexpr const char* kFtpPassword = "FTP Password";
inline constexpr const char* kPassiveTransfers = "Passive Transfers";
inline constexpr const char* kUsePassiveMode = "Use Passive Mode for Transfers";
inline constexpr const char* kShowFtpConversation = "Show FTP Conversation";
inline constexpr const char* kShowFtpCommands = "Show FTP Commands and Responses";
inline constexpr const char* kFtpSecurity = "FTP Security";
inline constexpr const char* kFtpSecurityItems[] = {"Plain FTP", "TLS when the server offers it", "TLS required"};
inline constexpr const char* kFtpFingerprint = "Certificate Fingerprint";
inline constexpr const char* kFtpFingerprintHint =
    "(SHA-256 of a certificate to trust that the system does not, as the progress log names it)";
inline constexpr const char* kFtpTimeout = "FTP Time-out (seconds)";
inline constexpr const char* kFileCopyOptions = "File Copy Options";
inline constexpr const char* kSetDestination = "Set Destination";
inline constexpr const char* kDestinationFolder = "Destination Folder";
inline constexpr const char* kTestConnection = "Test Connection";
inline constexpr const char* kTesting = "Connecting to %1 ...";
inline constexpr const char* kTestPassed = "Connection test passed: logged on to %1 and changed to \"%2\".";
inline constexpr const char* kTestPassedNoDirectory = "Connection test passed: logged on to %1.";
inline constexpr const char* kTestFailedLogOn = "Connection test failed: could not log on to %1.";
inline constexpr const char* kTestFailedDirectory = "Connection test failed: could not change to \"%1\".";
inline constexpr const char* kServerReplied = "The server replied: %1";
inline constexpr const char* kNoReply = "No reply from the server.";

// Custom Variables.
inline constexpr const char* kVariablesWindowTitle = "OptCustomVariables";
inline constexpr const char* kVariablesTitle = "Custom Variables";
inline constexpr const char* kDefaultKeywords = "Default Keywords Meta Tag";
inline constexpr const char* kDefaultDescription = "Default Description Meta Tag";
inline constexpr const char* kCustomTag = "Custom Tag %1";

// The template chooser.
inline constexpr const char* kTemplateTitle = "Template Options";
inline constexpr const char* kCurrentTemplate = "Current Template";
inline constexpr const char* kSelectTemplate = "Select a different Template";
inline constexpr const char* kAddNewTemplates = "Add New Templates";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kPreview = "Preview";
inline constexpr const char* kSiteButton = "Visit the Tessary Web Site";
inline constexpr const char* kTemplateFilter = "Tessary Templates (*.tem);;All Files (*)";
inline constexpr const char* kLookingForTemplates = "Looking for Templates...";
inline constexpr const char* kFound = "Found ";
inline constexpr const char* kComplete = "Complete...";
inline constexpr const char* kAlreadyInFolder =
    "You have selected a template that is already in the Tessary Directory. Please choose again.";

}  // namespace tessary::app::opttexts
