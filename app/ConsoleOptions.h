#pragma once

#include "base/Exception.h"

#include <string>
#include <vector>

// What qm-smart-run is told on its command line: the contact details the window's fields would
// hold, where the report goes, and whether the file stays.
struct ConsoleOptions {
    std::string Name;
    std::string Phone;
    std::string Email;
    std::string UploadURL;
    bool Keep = false;
    bool NoUpload = false;
    bool Help = false;
};

// A command line qm-smart-run cannot act on; the message says what is wrong with it.
class EConsoleUsage : public Exception {
public:
    using Exception::Exception;
};

// Reads --name, --phone, --email, --url (each as "--opt VALUE" or "--opt=VALUE"), --keep,
// --no-upload and --help; an option left out leaves its text empty and the URL the built-in
// one. Raises EConsoleUsage for anything else, for a missing value, for a separate value that
// starts with "--" (only "--opt=--value" gives one), for an option given twice and for no
// option at all.
ConsoleOptions ParseConsoleOptions(const std::vector<std::string>& arguments, const std::string& builtInURL);

// The first line of the --help text, printed after a usage error.
std::string ConsoleUsageLine();
// The --help text: every option, what is printed where, and the exit statuses.
std::string ConsoleUsage(const std::string& builtInURL);
