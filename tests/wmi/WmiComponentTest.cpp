#include "base/Exception.h"
#include "wmi/DiskDriveInventory.h"
#include "wmi/OleException.h"
#include "wmi/WmiSupport.h"

#include "FakeWbemServices.h"
#include "ObjectTexts.h"

#include <gtest/gtest.h>

namespace {

const std::string NotConnected = "Componente no conectado...  (crear tipo espec\xED" "fico)";
const std::string NotActive = "Componente no activado...  (crear tipo espec\xED" "fico)";
const std::string OutOfBounds = "\xCD" "ndice fuera de l\xED" "mites...  (crear tipo espec\xED" "fico)";

// A disk component over a fake service whose log also records the component's events.
struct Rig {
    std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>();
    FakeWbemServices* fake;
    std::unique_ptr<TDiskDriveInventory> disks;

    explicit Rig(std::vector<std::vector<std::string>> answers = {{WindowsSsd, WindowsUsbStick, WineDisk}})
    {
        auto services = std::make_unique<FakeWbemServices>(log);
        fake = services.get();
        fake->Answers = std::move(answers);
        disks = std::make_unique<TDiskDriveInventory>(std::move(services));
        const auto note = [this](const char* what) {
            return [this, what](TWmiComponent& sender) {
                EXPECT_EQ(&sender, disks.get());
                log->push_back(std::string(what) + (sender.Active() ? " active" : " inactive"));
            };
        };
        disks->OnBeforeActivate = note("before activate");
        disks->OnAfterActivate = note("after activate");
        disks->OnBeforeDeactivate = note("before deactivate");
        disks->OnAfterDeactivate = note("after deactivate");
    }

    std::vector<std::string> TakeLog() { return std::exchange(*log, {}); }
};

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& error) {
        return error.Message;
    }
    return "(nothing raised)";
}

} // namespace

TEST(WmiComponent, StartsInactiveOnThisComputer)
{
    const TDiskDriveInventory disks(std::make_unique<FakeWbemServices>());
    EXPECT_FALSE(disks.Active());
    EXPECT_FALSE(disks.Connected());
    EXPECT_EQ(disks.ObjectsCount(), 0);
    EXPECT_EQ(disks.ObjectIndex(), 0);
    EXPECT_EQ(disks.Host(), ".");
    EXPECT_EQ(disks.GetAllProperties().Count(), 0);
    EXPECT_EQ(disks.GetQueryText(), "SELECT * FROM Win32_DiskDrive");
    EXPECT_EQ(disks.GetNamespacePath(), "root\\cimv2");
    EXPECT_NE(disks.MSDNHelp().find("win32-diskdrive"), std::string::npos);
}

TEST(WmiComponent, ActivationConnectsQueriesAndLoadsTheFirstInstance)
{
    Rig rig;
    rig.disks->SetActive(true);
    EXPECT_EQ(rig.TakeLog(), (std::vector<std::string>{"before activate inactive", "connect . root\\cimv2",
                                                       "query SELECT * FROM Win32_DiskDrive WQL",
                                                       "after activate active"}));
    EXPECT_TRUE(rig.disks->Active());
    EXPECT_TRUE(rig.disks->Connected());
    EXPECT_EQ(rig.disks->ObjectsCount(), 3);
    EXPECT_EQ(rig.disks->ObjectIndex(), 1);
    EXPECT_EQ(rig.disks->GetAllProperties().Lines(), (std::vector<std::string>{WindowsSsd, WindowsUsbStick, WineDisk}));
    EXPECT_EQ(rig.disks->DiskDriveProperties().Model, "Samsung SSD 860 EVO 500GB");
    EXPECT_EQ(rig.disks->GetComponentCaption(), "Samsung SSD 860 EVO 500GB");
}

TEST(WmiComponent, ActivationWithoutInstancesLoadsNothingAndSkipsTheAfterEvent)
{
    Rig rig(std::vector<std::vector<std::string>>(1));
    rig.disks->SetActive(true);
    EXPECT_EQ(rig.TakeLog(), (std::vector<std::string>{"before activate inactive", "connect . root\\cimv2",
                                                       "query SELECT * FROM Win32_DiskDrive WQL"}));
    EXPECT_TRUE(rig.disks->Active());
    EXPECT_EQ(rig.disks->ObjectsCount(), 0);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
    EXPECT_EQ(rig.disks->DiskDriveProperties().Size, 0);
    EXPECT_EQ(rig.disks->GetComponentCaption(), "");
}

TEST(WmiComponent, EveryAssignmentOfActiveRunsInFull)
{
    Rig rig({{WindowsSsd, WindowsUsbStick}, {WineDisk}});
    rig.disks->SetActive(true);
    rig.disks->SetObjectIndex(2);
    rig.disks->SetActive(true);
    EXPECT_EQ(rig.disks->GetAllProperties().Lines(), std::vector<std::string>{WineDisk}) << "only the second result";
    EXPECT_EQ(rig.disks->ObjectIndex(), 1);
    EXPECT_EQ(rig.disks->DiskDriveProperties().Model, "Wine Disk Drive");
    rig.TakeLog();

    rig.disks->SetActive(false);
    rig.disks->SetActive(false);
    const std::vector<std::string> once = {"before deactivate active", "after deactivate inactive"};
    const std::vector<std::string> again = {"before deactivate inactive", "after deactivate inactive"};
    std::vector<std::string> both = once;
    both.insert(both.end(), again.begin(), again.end());
    EXPECT_EQ(rig.TakeLog(), both);
    EXPECT_FALSE(rig.disks->Active());
    EXPECT_TRUE(rig.disks->Connected()) << "deactivation keeps the connection";
    EXPECT_EQ(rig.disks->ObjectsCount(), 0);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
    EXPECT_EQ(rig.disks->GetAllProperties().Count(), 0);
    EXPECT_EQ(rig.disks->DiskDriveProperties().Model, "");
}

TEST(WmiComponent, StoredSettingsRunOneDeactivationWhileLoading)
{
    Rig rig;
    rig.disks->OnAfterDeactivate = [&rig](TWmiComponent& sender) {
        EXPECT_TRUE(sender.Loading());
        sender.SetObjectIndex(5);  // ignored while loading, so it raises nothing
        rig.log->push_back("after deactivate");
    };
    rig.disks->ReadStoredSettings(".", false);
    EXPECT_EQ(rig.TakeLog(), (std::vector<std::string>{"before deactivate inactive", "after deactivate"}));
    EXPECT_FALSE(rig.disks->Loading());
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
    EXPECT_EQ(rig.disks->Host(), ".");
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(5); }), NotConnected) << "loading is over";
}

TEST(WmiComponent, ObjectIndexRefusalsComeInTheirOrderAndClearTheIndex)
{
    Rig rig;
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(1); }), NotConnected);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);

    rig.disks->SetActive(true);
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(4); }), OutOfBounds);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
    rig.disks->SetObjectIndex(2);
    EXPECT_EQ(rig.disks->DiskDriveProperties().InterfaceType, "USB");
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(0); }), OutOfBounds);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(-1); }), OutOfBounds);
    EXPECT_EQ(rig.disks->DiskDriveProperties().InterfaceType, "USB") << "a refusal loads nothing";

    rig.disks->SetActive(false);
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(1); }), NotActive);
    EXPECT_EQ(rig.disks->ObjectIndex(), 0);
}

TEST(WmiComponent, AssigningThePresentIndexDoesNotReload)
{
    Rig rig;
    rig.disks->SetActive(true);
    rig.disks->GetAllProperties().Clear();
    rig.disks->GetAllProperties().Add(WineDisk);
    rig.disks->SetObjectIndex(1);
    EXPECT_EQ(rig.disks->DiskDriveProperties().Model, "Samsung SSD 860 EVO 500GB");
}

TEST(WmiComponent, AFailedConnectRaisesAPlainErrorAndDropsTheConnectedFlag)
{
    Rig rig;
    rig.disks->SetActive(true);
    rig.disks->SetObjectIndex(3);
    rig.fake->FailConnect = true;
    try {
        rig.disks->SetActive(true);
        ADD_FAILURE() << "the failed connect passed";
    } catch (const EOleException&) {
        ADD_FAILURE() << "the COM error must not pass through";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message, "Access is denied");
    }
    EXPECT_TRUE(rig.disks->Active());
    EXPECT_FALSE(rig.disks->Connected());
    EXPECT_EQ(rig.disks->GetAllProperties().Count(), 0);
    EXPECT_EQ(rig.disks->ObjectsCount(), 3);
    EXPECT_EQ(rig.disks->ObjectIndex(), 3);
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(1); }), NotConnected);
}

TEST(WmiComponent, AFailingQueryKeepsWhatArrivedAndTheOldCount)
{
    Rig rig;
    rig.disks->SetActive(true);
    rig.disks->SetObjectIndex(3);
    rig.fake->FailQueryAfter = 1;
    rig.TakeLog();
    EXPECT_THROW(rig.disks->SetActive(true), EOleException);
    EXPECT_EQ(rig.TakeLog().back(), "query SELECT * FROM Win32_DiskDrive WQL") << "no after event";
    EXPECT_TRUE(rig.disks->Active());
    EXPECT_TRUE(rig.disks->Connected());
    EXPECT_EQ(rig.disks->GetAllProperties().Lines(), std::vector<std::string>{WindowsSsd});
    EXPECT_EQ(rig.disks->ObjectsCount(), 3);
    EXPECT_EQ(rig.disks->ObjectIndex(), 3);
    // Instance 3 is gone although the count still names it: a plain error, and the caption
    // swallows it.
    EXPECT_EQ(rig.disks->GetComponentCaption(), "");
    EXPECT_EQ(MessageOf([&] { rig.disks->SetObjectIndex(2); }), "List index out of bounds (1)");
}

TEST(WmiComponent, ComponentCaptionIsACacheOfTheCurrentCaption)
{
    Rig rig;
    rig.disks->SetComponentCaption("set by hand");
    EXPECT_EQ(rig.disks->GetComponentCaption(), "") << "no instance: the cache is refreshed to empty";
    rig.disks->SetActive(true);
    rig.disks->SetObjectIndex(3);
    EXPECT_EQ(rig.disks->GetComponentCaption(), "") << "Wine writes no Caption";
    rig.disks->SetObjectIndex(2);
    EXPECT_EQ(rig.disks->GetComponentCaption(), "SanDisk Cruzer Blade USB Device");
}
