#include "smart/SmartTypes.h"

#include <utility>

namespace {

struct NamedId {
    std::int32_t Id;
    std::string_view Name;
};

// Every ID from 1 to 254 not listed here reads "To Be Advised".
constexpr NamedId SmartAttrNames[] = {
    {1, "Raw Read Error Rate"},
    {2, "Throughput Performance"},
    {3, "Spin Up Time"},
    {4, "Start/Stop Count"},
    {5, "Reallocated Sector Count"},
    {6, "Read Channel Margin"},
    {7, "Seek Error Rate"},
    {8, "Seek Time Performance"},
    {9, "Power-On Time Count"},
    {10, "Spin Retry Count"},
    {11, "Drive Calibration Retry Count"},
    {12, "Drive Power Cycle Count"},
    {13, "Soft Read Error Rate"},
    {22, "Current Helium Level"},
    {171, "SSD Program Fail Count"},
    {172, "SSD Erase Fail Count"},
    {173, "SSD Wear Leveling Count"},
    {174, "Unexpected power loss count"},
    {175, "Power Loss Protection Failure"},
    {176, "Erase Fail Count"},
    {182, "Erase Fail Count"},
    {183, "SATA Downshift Count"},
    {184, "End to End Error Count"},
    {185, "Head Stability"},
    {186, "Induced Op-Vibration Detection"},
    {187, "Reported Uncorrectable Errors"},
    {188, "Command Timeout"},
    {189, "High Fly Writes"},
    {190, "Airflow Temperature"},
    {191, "Mechanical Shock"},
    {192, "Power off Retract Cycle"},
    {193, "Load/Unload Cycle Count"},
    {194, "HDD Temperature"},
    {195, "Hardware ECC Recovered"},
    {196, "Reallocation Event Count"},
    {197, "Current Pending Sector Count"},
    {198, "Off-Line Uncorrectable Sector Count"},
    {199, "Ultra ATA CRC Error Count"},
    {200, "Write Error Rate"},
    {201, "Soft Read Error Rate"},
    {202, "Data Address Mark Errors"},
    {203, "Number of data correction errors."},
    {204, "Soft ECC Correction"},
    {205, "Thermal Asperity Rate"},
    {206, "Flying Height"},
    {207, "Spin High Current"},
    {208, "Spin cycles to spin up. "},
    {209, "Offline Seek Performance"},
    {210, "Vibration During Write"},
    {211, "Vibration During Write"},
    {212, "Shock During Write"},
    {220, "Disk Shift"},
    {221, "G-Sense Error Rate"},
    {222, "Loaded Hours"},
    {223, "Load/Unload Retry Count"},
    {224, "Load Friction"},
    {225, "Load/Unload Cycle Count"},
    {226, "Load-in Time"},
    {227, "Torque Amplification Count"},
    {228, "Power-off Retract Count"},
    {230, "GMR Head Amplitude"},
    {231, "Hard Disk Temperature"},
    {232, "Endurance Remaining/Available Reserved Space"},
    {233, "Media Wearout Indicator (SSDs)/Power-On Hours"},
    {234, "Average erase count AND Maximum Erase Count"},
    {235, "Good Block Count AND System(Free) Block Count"},
    {240, "Head Flying Hours"},
    {241, "Total LBA Written"},
    {242, "Total LBA Read"},
    {243, "Total LBAs Written Expanded"},
    {244, "Total LBAs Read Expanded"},
    {249, "NAND Writes (1GiB)"},
    {250, "Read Error Retry Rate"},
    {251, "Minimum Spares Remaining"},
    {252, "Newly Added Bad Flash Block"},
    {254, "Free Fall Protection"},
};

constexpr std::string_view ToBeAdvised = "To Be Advised";

} // namespace

std::string GetSmartAttrName(std::int32_t attrId)
{
    for (const NamedId& entry : SmartAttrNames)
        if (entry.Id == attrId)
            return std::string(entry.Name);
    return std::string(ToBeAdvised);
}

std::string DriverStatusText(std::int32_t code)
{
    if (code < 0 || std::cmp_greater_equal(code, DriverStatusTexts.size()))
        return {};
    return std::string(DriverStatusTexts[static_cast<size_t>(code)]);
}
