// Every text the desktop windows show of their own, in one place. Messages the
// core shows come from the core.
#pragma once

namespace tessary::app::texts {

inline constexpr const char* kAppTitle = "Tessary";
inline constexpr const char* kCaption = "Tessary 2008 Build 1";
inline constexpr const char* kProjectPage = "https://tessary.example.org";

// Top panel and its pop-up menu.
inline constexpr const char* kHelp = "Help";
inline constexpr const char* kExit = "Exit";
inline constexpr const char* kChangeBackground = "Change Background";
inline constexpr const char* kGrey = "Grey";
inline constexpr const char* kGreen = "Green";
inline constexpr const char* kBrown = "Brown";
inline constexpr const char* kChangeDisplayFonts = "Change Display Fonts";
inline constexpr const char* kCaptionsAndButtons = "Captions and Buttons";
inline constexpr const char* kBlogEntryList = "Blog Entry List";

// Side bar.
inline constexpr const char* kAllMyBlogs = "All my Blogs";
inline constexpr const char* kBlogEntries = "Blog Entries";
inline constexpr const char* kBlogPictures = "Blog Pictures";
inline constexpr const char* kExtraFiles = "Extra Files";
inline constexpr const char* kOptions = "Options";
inline constexpr const char* kPublish = "Publish";
inline constexpr const char* kCloseBlog = "Close Blog";
inline constexpr const char* kProgramInformationHint = "Click here to see Program Information";

// Page 0.
inline constexpr const char* kOpenBlog = "Open Blog";
inline constexpr const char* kStartNewBlog = "Start a New Blog";
inline constexpr const char* kBackupBlog = "Backup Blog";
inline constexpr const char* kCompactBlog = "Compact Blog";
inline constexpr const char* kRepairBlog = "Repair Blog";
inline constexpr const char* kTessaryOptions = "Tessary Options";
inline constexpr const char* kTemplateEditor = "Template Editor";
inline constexpr const char* kExportBlog = "Export Blog";
inline constexpr const char* kCheckForUpdates = "Check for Updates";
// Page 1.
inline constexpr const char* kAddEntry = "Add Entry";
inline constexpr const char* kEditEntry = "Edit Entry";
inline constexpr const char* kRemoveEntry = "Remove Entry";
inline constexpr const char* kCategoryList = "Category List";
// Page 2.
inline constexpr const char* kAddPicture = "Add Picture";
inline constexpr const char* kViewPicture = "View Picture";
inline constexpr const char* kRemovePicture = "Remove Picture";
// Page 3.
inline constexpr const char* kAddFile = "Add File";
inline constexpr const char* kRemoveFile = "Remove File";
inline constexpr const char* kSaveFileAs = "Save File As...";
// Page 4.
inline constexpr const char* kBasicOptions = "Basic Options";
inline constexpr const char* kAdvancedOptions = "Advanced Options";
inline constexpr const char* kChooseTemplate = "Choose Template";
inline constexpr const char* kRssOptions = "RSS Options";
inline constexpr const char* kPublishingOptions = "Publishing Options";
inline constexpr const char* kCustomVariables = "Custom Variables";
// Page 5.
inline constexpr const char* kGeneratePages = "Generate Pages";
inline constexpr const char* kPreviewPages = "Preview Pages";
inline constexpr const char* kPublishToWeb = "Publish to Web";
inline constexpr const char* kPublishNext10 = "Publish Next 10";
inline constexpr const char* kMarkAllAsNew = "Mark All as New";
inline constexpr const char* kMarkAllAsPublished = "Mark All as Published";
inline constexpr const char* kProgressLog = "Progress Log";

// Questions and file dialogs.
inline constexpr const char* kCloseBlogQuestion = "Close Blog?";
inline constexpr const char* kOpenCaption = "Please choose a Blog to Open";
inline constexpr const char* kNewCaption = "Start a New Blog...";
inline constexpr const char* kRepairCaption = "Please choose a Blog to Repair";
inline constexpr const char* kExportCaption = "Please choose a Blog to Export";
inline constexpr const char* kFilterA = "Tessary File (*.zdb);;All Files (*)";
inline constexpr const char* kFilterB = "Tessary File (*.zdb)";
inline constexpr const char* kFilterC = "Pictures (*.jpg *.gif *.png);;All Files (*)";
inline constexpr const char* kFilterD = "All Files (*);;Programs (*.exe);;Zip Files (*.zip);;Pictures (*.gif *.png *.jpg *.jpeg)";

// Grid column titles.
inline constexpr const char* kColDateTime = "Date + Time";
inline constexpr const char* kColTitle = "Title";
inline constexpr const char* kColEntryType = "Entry Type";
inline constexpr const char* kColCategory = "Category";
inline constexpr const char* kColPictureName = "Picture Name";
inline constexpr const char* kColDateAdded = "Date Added";
inline constexpr const char* kColHeight = "Height";
inline constexpr const char* kColWidth = "Width";
inline constexpr const char* kColPictureSize = "Size";
inline constexpr const char* kColPictureType = "Type";
inline constexpr const char* kColFileName = "File Name";
inline constexpr const char* kColFileSize = "File Size";
inline constexpr const char* kColOption = "Option";
inline constexpr const char* kColValue = "Value";

// Status popup.
inline constexpr const char* kStatus = "Status";

// Program options.
inline constexpr const char* kSave = "Save";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kClose = "Close";
inline constexpr const char* kBackgroundScheme = "Background Color Scheme";
inline constexpr const char* kLists = "Lists";
inline constexpr const char* kEntryTextArea = "Entry Text Area";
inline constexpr const char* kSampleCaptions = "Sample Captions and Buttons - 1234567890 ABC abc";
inline constexpr const char* kSampleList = "Sample List - 1234567890 ABC abc";
inline constexpr const char* kSampleEntryText = "Sample Entry Text Area - 1234567890  ABC abc";
inline constexpr const char* kChange = "Change";
inline constexpr const char* kReset = "Reset";

// Export dialog.
inline constexpr const char* kExportDialogTitle = "Export Blog As...";
inline constexpr const char* kExportBandTitle = "Export Blog";
inline constexpr const char* kBlogFileLabel = "Blog File:";
inline constexpr const char* kFileTypeLabel = "Save Blog as File Type:";
inline constexpr const char* kExportFileNameLabel = "Blog Export File Name:";
inline constexpr const char* kExportFolderLabel = "Blog Export Directory:";
inline constexpr const char* kExport = "Export";
inline constexpr const char* kChooseFolder = "...";
inline constexpr const char* kChooseFolderHint = "Choose the export folder";

// Entry editor.
inline constexpr const char* kBlogEntryTitle = "Blog Entry";
inline constexpr const char* kCategoryEntryTitle = "Category Entry";
inline constexpr const char* kPageBasicEntry = "Basic Entry";
inline constexpr const char* kPageMetaTags = "Meta Tags";
inline constexpr const char* kPageSideBar = "Side Bar";
inline constexpr const char* kPageCustomFields1 = "Custom Fields 1";
inline constexpr const char* kPageCustomFields2 = "Custom Fields 2";
inline constexpr const char* kDate = "Date";
inline constexpr const char* kTime = "Time";
inline constexpr const char* kTitle = "Title";
inline constexpr const char* kEntry = "Entry";
inline constexpr const char* kCategory = "Category";
inline constexpr const char* kEllipsis = "...";
inline constexpr const char* kSelectCategoryHint = "Select a Category for this Entry";
inline constexpr const char* kClearCategoriesHint = "Clear all Categories from this Entry";
inline constexpr const char* kSecondCategory = "2)";
inline constexpr const char* kThirdCategory = "3)";
inline constexpr const char* kAlternateCategoryHint = "Click to select an alternate category";
inline constexpr const char* kLinkUrl = "Include a link to this URL";
inline constexpr const char* kOpenLinkHint = "Open this URL";
inline constexpr const char* kPageName = "Page Name:";
inline constexpr const char* kEntryType = "Entry Type:";
inline constexpr const char* kKeywordsMetaTag = "Keywords Meta Tag";
inline constexpr const char* kDescriptionMetaTag = "Description Meta Tag";
inline constexpr const char* kArticleTeaser = "Article Teaser";
inline constexpr const char* kSideBarText = "Side Bar";
inline constexpr const char* kCustomTitle1 = "Custom Title 1";
inline constexpr const char* kCustomText1 = "Custom Text 1";
inline constexpr const char* kCustomTitle2 = "Custom Title 2";
inline constexpr const char* kCustomText2 = "Custom Text 2";
inline constexpr const char* kHtmlToolbar = "HTML Toolbar";
inline constexpr const char* kDiscardChanges = "Discard the changes to this entry?";
inline constexpr const char* kCharacterCount = "%1 of %2 characters";
inline constexpr const char* kTopicEntries = "Entries";
inline constexpr const char* kTopicEntriesCategoryList = "EntriesCategoryList";
inline constexpr const char* kTopicEntriesHtmlBar = "EntriesHTMLBar";
// The pickers the editor opens.
inline constexpr const char* kSelectCategory = "Select Category";
inline constexpr const char* kInsertAPicture = "Insert a Picture";
inline constexpr const char* kInsertAFile = "Insert a File";

// The HTML toolbar: hint, then the short glyph text drawn on the button.
inline constexpr const char* kHintBold = "<B> - Bold";
inline constexpr const char* kHintItalics = "<I> - Italics";
inline constexpr const char* kHintUnderline = "<U> - Underline";
inline constexpr const char* kHintCenter = "<CENTER> - Insert Center Tag";
inline constexpr const char* kHintParagraph = "<P> - Insert Paragraph Tag";
inline constexpr const char* kHintLineFeed = "<BR> - Insert  Line Feed Tag";
inline constexpr const char* kHintRule = "<HR> - Insert Horizontal Rule";
inline constexpr const char* kHintFont = "<FONT FACE= SIZE=> - Insert  Font Tag";
inline constexpr const char* kHintLink = "<A HREF=> - Insert Link";
inline constexpr const char* kHintImage = "<IMG SRC=> - Insert Image Tag";
inline constexpr const char* kHintTable = "Insert Table Tags";
inline constexpr const char* kHintNumbered = "<OL> - Insert Numbered List";
inline constexpr const char* kHintUnnumbered = "<UL> - Insert Unnumbered List";
inline constexpr const char* kHintListItem = "<LI> - Insert List Item Tag";
inline constexpr const char* kHintWrapOn = "Word Wrap On";
inline constexpr const char* kHintWrapOff = "Word Wrap Off";
inline constexpr const char* kHintBlogPicture = "Insert Blog Picture";
inline constexpr const char* kHintBlogFile = "Insert Blog File";

// The tag dialogs.
inline constexpr const char* kOK = "OK";
inline constexpr const char* kInsertFontTag = "Insert Font Tag";
inline constexpr const char* kFontFace = "Font Face";
inline constexpr const char* kFontColor = "Font Color";
inline constexpr const char* kFontSize = "Font Size";
inline constexpr const char* kInsertHrefTag = "Insert HREF Tag";
inline constexpr const char* kUrl = "URL";
inline constexpr const char* kLinkCaption = "Caption";
inline constexpr const char* kOpenInNewWindow = "Open in new window";
inline constexpr const char* kInsertImageTag = "Insert Image Tag";
inline constexpr const char* kImageFileName = "Image File Name";
inline constexpr const char* kAltText = "Alt Text";
inline constexpr const char* kAlign = "Align";
inline constexpr const char* kAlignNames[6] = {"None", "Left", "Right", "Top", "Middle", "Bottom"};
inline constexpr const char* kHSpace = "HSpace";
inline constexpr const char* kVSpace = "VSpace";
inline constexpr const char* kInsertTableTag = "Insert Table Tag";
inline constexpr const char* kRows = "Rows";
inline constexpr const char* kColumns = "Columns";
inline constexpr const char* kCellPadding = "Cell Padding";
inline constexpr const char* kCellSpacing = "Cell Spacing";
inline constexpr const char* kBorder = "Border";

// What the commands of the first page do, shown beside them.
inline constexpr const char* kDescriptions[][2] = {
    {kOpenBlog, "Open a blog file (.zdb) to write entries and publish its site."},
    {kStartNewBlog, "Create a new blog file, answering five questions about it."},
    {kCloseBlog, "Close the open blog."},
    {kBackupBlog, "Write a compacted copy of the blog into its backup folder."},
    {kCompactBlog, "Rewrite the blog file without the space of deleted rows."},
    {kRepairBlog, "Copy every readable row of a damaged blog file into a new one."},
    {kTessaryOptions, "Background colours and the fonts of captions, lists and entry text."},
    {kTemplateEditor, "Make or change a template package: the look of a site."},
    {kExportBlog, "Write a blog's entries as an XML document or a spreadsheet."},
    {kCheckForUpdates, "Open the project's web page in the browser."},
};

// Help topics.
inline constexpr const char* kTopicWelcome = "Welcome";
inline constexpr const char* kTopicProgramOptions = "BlogsProgramOptions";
inline constexpr const char* kTopicExport = "BlogsExport";

// Texts of this front end that have no fixed wording elsewhere.
inline constexpr const char* kBusy = "Please wait until \"%1\" has finished.";
inline constexpr const char* kError = "Error";
inline constexpr const char* kCreateFolderQuestion = "The folder %1 does not exist. Create it?";

// The category list, the three pickers and the backup dialog.
inline constexpr const char* kAddCategory = "Add Category";
inline constexpr const char* kEditCategory = "Edit Category";
inline constexpr const char* kRemoveCategory = "Remove Category";
inline constexpr const char* kSelect = "Select";
inline constexpr const char* kInsert = "Insert";
inline constexpr const char* kContinue = "Continue";
inline constexpr const char* kInsertPictureBand = "Insert Picture";
inline constexpr const char* kInsertFileBand = "Insert File";
inline constexpr const char* kBackupBand = "Backup";
inline constexpr const char* kColCategoryTitle = "Category Title";
inline constexpr const char* kColCategoryPageName = "Category Page Name";
inline constexpr const char* kColCategoryName = "CategoryName";
inline constexpr const char* kColPictureSizePicker = "Picture Size";
inline constexpr const char* kAddCategoryHint = "Add a new Category";
inline constexpr const char* kAddPictureHint = "Add a Picture to the Blog";
inline constexpr const char* kAddFileHint = "Add a File to the Blog";
inline constexpr const char* kAlignNone = "None";
inline constexpr const char* kAlignLeft = "Left";
inline constexpr const char* kAlignRight = "Right";
inline constexpr const char* kAlignTop = "Top";
inline constexpr const char* kAlignMiddle = "Middle";
inline constexpr const char* kAlignBottom = "Bottom";
inline constexpr const char* kPickerHeight = "Height";
inline constexpr const char* kPickerWidth = "Width";
inline constexpr const char* kStoredHeight = "Stored Height";
inline constexpr const char* kStoredWidth = "Stored Width";
inline constexpr const char* kLinkText = "Link Text";
inline constexpr const char* kBackupLocation = "Backup Location";
inline constexpr const char* kBackupsToKeep = "Number of Backups to keep";
inline constexpr const char* kChooseFolderButton = "...";
inline constexpr const char* kChooseBackupFolderHint = "Choose the Backup Location";
inline constexpr const char* kTopicEntriesAddCategory = "EntriesAddCategory";
inline constexpr const char* kTopicPictures = "Pictures";
inline constexpr const char* kTopicExtraFiles = "ExtraFiles";
inline constexpr const char* kTopicBlogsBackup = "BlogsBackup";


// Template package editor ("Template Packager"); the template, tab and question
// texts are the core's (templates/package_editor.h).
inline constexpr const char* kTemplatePackager = "Template Packager";
inline constexpr const char* kNew = "New";
inline constexpr const char* kOpen = "Open";
inline constexpr const char* kSaveAs = "Save As...";
inline constexpr const char* kPreview = "Preview";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kImagesAndFiles = "Images and Files";
inline constexpr const char* kExtractFile = "Extract File";
inline constexpr const char* kDescriptionHeading = "Enter a Description for your Template Package";
inline constexpr const char* kFilesHeading = "Add Images and Extra Files to the Template Package";
inline constexpr const char* kInsertableItems = "Items to insert";
inline constexpr const char* kPackageFileList = "Files in the Template Package";
inline constexpr const char* kFind = "Find";
inline constexpr const char* kFindNext = "Find Next";
inline constexpr const char* kFindNotFound = "Not found";
inline constexpr const char* kOpenPackageCaption = "Open Template Package";
inline constexpr const char* kSavePackageCaption = "Save Template Package As";
inline constexpr const char* kAddFileCaption = "Add File to the Template Package";
inline constexpr const char* kExtractFileCaption = "Extract File from the Template Package";
inline constexpr const char* kFilterAllFiles = "All Files (*)";
inline constexpr const char* kFilterPackages = "Template Packages (*.tem);;All Files (*)";
inline constexpr const char* kFilterPackageFiles = "Pictures (*.gif *.jpg *.png);;Programs (*.exe *.zip);;All Files (*)";
inline constexpr const char* kTopicPackageTemplates = "PackageTemplates";

}  // namespace tessary::app::texts
