#pragma once

// The texts the main window shows; the line breaks are CR LF.
namespace Messages {

inline constexpr const char* ApplicationTitle = "QM Smart Test";
inline constexpr const char* FormCaption = "Quillmark SMART Test.";

inline constexpr const char* InvalidName =
    "You must provide a valid name.\r\nIt will be used to personalise your report.";
inline constexpr const char* InvalidPhone =
    "We ask for a Telephone number so we\r\ncan contact you directly if you are in\r\n"
    "danger of losing your data and files.";
inline constexpr const char* InvalidEmail =
    "You must provide a valid email address\r\nto allow the creation and delivery of a\r\nreport.";
inline constexpr const char* ContactNotAllowed =
    "You must explicitly allow us to \r\ncontact you each time you ask\r\nfor a report";
inline constexpr const char* NotSupported =
    "One or more of your disks does not support SMART!\r\nIt may be SMART is not enabled at this time.";
inline constexpr const char* PostFailed = "Error encountered during POST: ";

inline constexpr const char* Greeting =
    "Hello,\r\n  Great to see you are investing a few minutes\r\nto ensure your hard disks are in good condition.\r\n"
    "  We guarantee this program will do the minimum\r\nit needs to to create the report you will receive.\r\n"
    "  If you are at all concerned please do not run the\r\nprogram tests.\r\n\r\nbest wishes\r\nQuillmark Team\r\n"
    "Tel : 0412 555 019\r\nfor Vantorel";

inline constexpr const char* ReadMe =
    "Quillmark Vantorel\r\n\r\nHas your...\r\nComputer stopped booting or you get a black screen only?\r\n"
    "Harddisk started making odd clicking or unusual noises?\r\nComputer data/files disappeared?\r\n"
    "Hard disk / drive been formatted and important data lost?\r\nPortable hard drive become unreadable?\r\n"
    "USB-disk become unrecognizable and important data lost?\r\n\r\nWe at Quillmark have the most advanced\r\n"
    "technology and solid experience in data recovery.\r\nIf you have any of the troubles listed above, please\r\n"
    "remember we are always here and happy to help you!\r\n";

inline constexpr const char* ContactYes = "Yes, you may contact me.";
inline constexpr const char* ContactNo = "No, may not contact me.";
inline constexpr const char* StatusAtStart = "Quillmark SMART test assistant.";

} // namespace Messages
