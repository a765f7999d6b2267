#pragma once

#include <string>
#include <vector>

// What someone else can leave in a folder under a name the program is about to use.
enum class PlantedKind { LinkToFile, LinkToNothing, Folder, Pipe, RegularFile, HardLinkToFile };

// The kinds a test can plant on this system. Windows makes links only with a privilege tests do
// not assume, and Wine makes none at all (its CreateSymbolicLink reports success and creates
// nothing; a link made on the Unix side is shown as the file it points at, and every operation
// by name reaches that file), so the Wine end-to-end run plants its links from the Unix side.
// Pipes live in folders on POSIX only.
std::vector<PlantedKind> PlantableKinds();
const char* KindName(PlantedKind kind);
// What the program replaces: a regular file, whatever other names that file has.
bool IsReplaceable(PlantedKind kind);

// The system's code for "the file exists", the reason a create gives for an entry it refuses.
extern const unsigned FileExistsError;

// An entry planted in the current folder. A link points at "<name>.target", a file the test owns
// (or nothing yet), and a hard link is another name of that file. Both are removed when the
// object goes.
class PlantedEntry {
public:
    static constexpr const char* OwnedContent = "owned by the test";

    PlantedEntry(std::string name, PlantedKind kind);
    ~PlantedEntry();
    PlantedEntry(const PlantedEntry&) = delete;
    PlantedEntry& operator=(const PlantedEntry&) = delete;

    bool Planted() const { return planted_; }
    // The owned file as it was planted: its content unchanged, or still not there.
    bool TargetUntouched() const;
    // Still what was planted under the name, and the owned file untouched.
    bool Intact() const;

private:
    std::string name_;
    std::string target_;
    PlantedKind kind_;
    bool planted_ = false;
};

// The back end for the kinds only the system can make: links, hard links and pipes.
bool MakeSystemEntry(PlantedKind kind, const std::string& name, const std::string& target);
