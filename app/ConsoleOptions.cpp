#include "app/ConsoleOptions.h"

#include <map>
#include <set>

namespace {

using TextOption = std::string ConsoleOptions::*;
using FlagOption = bool ConsoleOptions::*;

const std::map<std::string, TextOption> TextOptions {
    {"--name", &ConsoleOptions::Name},
    {"--phone", &ConsoleOptions::Phone},
    {"--email", &ConsoleOptions::Email},
    {"--url", &ConsoleOptions::UploadURL},
};

const std::map<std::string, FlagOption> FlagOptions {
    {"--keep", &ConsoleOptions::Keep},
    {"--no-upload", &ConsoleOptions::NoUpload},
    {"--help", &ConsoleOptions::Help},
};

// A forgotten value must not swallow the option after it: "--name --no-upload" would otherwise
// upload a report made out to "--no-upload". A value that really starts with "--" is given
// joined to its option.
std::string SeparateValue(const std::vector<std::string>& arguments, std::size_t& k, const std::string& option)
{
    if (k + 1 >= arguments.size())
        throw EConsoleUsage("option " + option + " needs a value");
    const std::string& value = arguments[k + 1];
    if (value.rfind("--", 0) == 0)
        throw EConsoleUsage("option " + option + " needs a value, not the option \"" + value + "\" (write " + option +
                            "=" + value + " for a value that starts with \"--\")");
    ++k;
    return value;
}

} // namespace

ConsoleOptions ParseConsoleOptions(const std::vector<std::string>& arguments, const std::string& builtInURL)
{
    if (arguments.empty())
        throw EConsoleUsage("no contact details given");
    ConsoleOptions options;
    options.UploadURL = builtInURL;
    std::set<std::string> given;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string& argument = arguments[k];
        const std::size_t equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        const auto text = TextOptions.find(option);
        const auto flag = FlagOptions.find(argument);
        if (text == TextOptions.end() && flag == FlagOptions.end())
            throw EConsoleUsage("unknown argument \"" + argument + "\"");
        // Which of two values was meant cannot be told, and a flag given twice is a slip too.
        if (!given.insert(option).second)
            throw EConsoleUsage("option " + option + " given more than once");
        if (flag != FlagOptions.end())
            options.*(flag->second) = true;
        else if (equals != std::string::npos)
            options.*(text->second) = argument.substr(equals + 1);
        else
            options.*(text->second) = SeparateValue(arguments, k, option);
    }
    return options;
}

std::string ConsoleUsageLine()
{
    return "Usage: qm-smart-run --name NAME --phone NUMBER --email ADDRESS [--url URL] [--keep] [--no-upload]\n";
}

std::string ConsoleUsage(const std::string& builtInURL)
{
    return ConsoleUsageLine() +
           "\n"
           "Runs the QM Smart Test without a window: reads the SMART data of every disk, saves the\n"
           "report in the current directory, uploads it to Quillmark and deletes it again, just as\n"
           "pressing \"Execute SMART Test\" in the window does. Running it means you allow Quillmark to\n"
           "contact you (the window's \"Yes, you may contact me.\"). Reading the disks needs\n"
           "administrator rights (root).\n"
           "\n"
           "Options:\n"
           "  --name NAME       the name the report is made out to (more than 3 characters)\n"
           "  --phone NUMBER    a telephone number; blanks are removed, the digits must fit a\n"
           "                    32-bit number (a 10-digit number starting with 0 does)\n"
           "  --email ADDRESS   the e-mail address the report is delivered to\n"
           "  --url URL         post the report to URL instead of\n"
           "                    " + builtInURL + "\n"
           "  --keep            leave the report file (NAME-STAMP.smart) in the current directory\n"
           "  --no-upload       print the report on standard output instead of uploading it\n"
           "  --help            print this text and exit\n"
           "Each option with a value also takes the form --option=VALUE; a value that starts with\n"
           "\"--\" is taken only in that form. No option may be given twice.\n"
           "\n"
           "The entries are checked as the window checks them, in the order name, telephone,\n"
           "e-mail; the first one refused is named on standard error with the window's warning\n"
           "text, and no disk is read. Standard error then gets the disk count line, one line per\n"
           "disk as it is read, the notice when a disk does not support SMART, and any error.\n"
           "Standard output gets the server's reply (or, with --no-upload, the report), unchanged.\n"
           "\n"
           "Interrupting the run (Ctrl+C, SIGINT, SIGTERM, SIGHUP; on Windows also Ctrl+Break or\n"
           "closing the console window) removes the report file, even with --keep, and ends it\n"
           "with status 1. A closed standard output ends it with status 1 too, the report file\n"
           "deleted as after any other failure (and left with --keep).\n"
           "\n"
           "Environment: QM_UPLOAD_READ_TIMEOUT, how long the upload waits for the server's next\n"
           "byte, in milliseconds from 1 to 3600000 (60000 otherwise); past it the upload ends\n"
           "with \"Read Timeout\".\n"
           "\n"
           "Exit status:\n"
           "  0  the server accepted the report (a 2xx reply), or the report was printed\n"
           "  1  the upload failed (\"Error encountered during POST: ...\" on standard error), the\n"
           "     run was interrupted or its standard output closed, or another error was\n"
           "     reported: the disk inventory, saving the report, printing it\n"
           "  2  an entry was refused, or the command line or QM_UPLOAD_READ_TIMEOUT was wrong\n";
}
