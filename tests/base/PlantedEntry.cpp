#include "tests/base/PlantedEntry.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* OlderReport = "an older report";

bool WriteWhole(const std::string& name, const std::string& content)
{
    return static_cast<bool>(std::ofstream(name, std::ios::binary) << content);
}

std::string ReadWhole(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

const char* KindName(PlantedKind kind)
{
    switch (kind) {
    case PlantedKind::LinkToFile: return "link to a file";
    case PlantedKind::LinkToNothing: return "link to nothing yet";
    case PlantedKind::Folder: return "folder";
    case PlantedKind::Pipe: return "pipe";
    case PlantedKind::RegularFile: return "regular file";
    case PlantedKind::HardLinkToFile: return "hard link to a file";
    }
    return "?";
}

bool IsReplaceable(PlantedKind kind)
{
    return kind == PlantedKind::RegularFile || kind == PlantedKind::HardLinkToFile;
}

PlantedEntry::PlantedEntry(std::string name, PlantedKind kind)
    : name_(std::move(name)), target_(name_ + ".target"), kind_(kind)
{
    std::error_code error;
    switch (kind) {
    case PlantedKind::LinkToFile:
    case PlantedKind::HardLinkToFile:
        planted_ = WriteWhole(target_, OwnedContent) && MakeSystemEntry(kind, name_, target_);
        break;
    case PlantedKind::LinkToNothing:
    case PlantedKind::Pipe: planted_ = MakeSystemEntry(kind, name_, target_); break;
    case PlantedKind::Folder: planted_ = std::filesystem::create_directory(name_, error); break;
    case PlantedKind::RegularFile: planted_ = WriteWhole(name_, OlderReport); break;
    }
}

PlantedEntry::~PlantedEntry()
{
    std::error_code error;
    std::filesystem::remove(name_, error);
    std::filesystem::remove(target_, error);
}

bool PlantedEntry::TargetUntouched() const
{
    std::error_code error;
    switch (kind_) {
    case PlantedKind::LinkToFile:
    case PlantedKind::HardLinkToFile: return ReadWhole(target_) == OwnedContent;
    case PlantedKind::LinkToNothing: return !std::filesystem::exists(target_, error);
    default: return true;
    }
}

bool PlantedEntry::Intact() const
{
    std::error_code error;
    const auto type = std::filesystem::symlink_status(name_, error).type();
    switch (kind_) {
    case PlantedKind::LinkToFile:
    case PlantedKind::LinkToNothing: return type == std::filesystem::file_type::symlink && TargetUntouched();
    case PlantedKind::Folder: return type == std::filesystem::file_type::directory;
    case PlantedKind::Pipe: return type == std::filesystem::file_type::fifo;
    case PlantedKind::RegularFile: return ReadWhole(name_) == OlderReport;
    case PlantedKind::HardLinkToFile: return std::filesystem::equivalent(name_, target_, error) && TargetUntouched();
    }
    return false;
}
