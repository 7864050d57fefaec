// The texts of the help viewer, in one place.
#pragma once

namespace tessary::app::help_texts {

inline constexpr const char* kWindowTitle = "Help Topics";
inline constexpr const char* kBandTitle = "Help";
inline constexpr const char* kPrint = "Print";
inline constexpr const char* kCloseHelp = "Close Help";
inline constexpr const char* kTopicUnavailable = "Topic Unavailable";
inline constexpr const char* kSearchHint = "Search the help topics";
inline constexpr const char* kContentsName = "Help contents";
inline constexpr const char* kTopicName = "Help topic";

// Where the contents and the topic documents live among the resources.
inline constexpr const char* kContentsResource = ":/help/CONTENTS";
inline constexpr const char* kTopicResourcePrefix = ":/help/";

}  // namespace tessary::app::help_texts
