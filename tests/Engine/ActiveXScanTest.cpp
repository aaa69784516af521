// Class registrations whose server library is gone, and references to
// classes and type libraries that are not registered.
#include "ScanFixture.h"

#include <new>

#include "Engine/CAbstractProcess.h"
#include "support/TestRegistry.h"

namespace
{
const char kClasses[] = "Software\\Classes\\";
const char kGone[] = "{0A1B2C3D-0000-4000-8000-00000000B001}";
const char kHere[] = "{0a1b2c3d-0000-4000-8000-00000000b002}";
const char kExeServer[] = "{0a1b2c3d-0000-4000-8000-00000000b003}";
const char kNative[] = "{0a1b2c3d-0000-4000-8000-00000000b004}";
const char kWow[] = "{0A1B2C3D-0000-4000-8000-00000000B005}";
const char kUnregistered[] = "{0a1b2c3d-0000-4000-8000-00000000b0ff}";
const char kGoneInterface[] = "{0A1B2C3D-0000-4000-8000-00000000C001}";
const char kHereInterface[] = "{0a1b2c3d-0000-4000-8000-00000000c002}";
const char kLibrary[] = "{0a1b2c3d-0000-4000-8000-00000000d001}";

class ActiveXScan : public PlantedEntries
{
protected:
    void PlantClass(const std::string& clsid, const std::string& library, REGSAM view = 0,
                    const std::string& classes = kClasses)
    {
        SetString(HKEY_LOCAL_MACHINE, classes + "CLSID\\" + clsid + "\\InprocServer32", "", library, view);
        SetString(HKEY_LOCAL_MACHINE, classes + "CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel",
                  "Apartment", view);
        RemoveLater(HKEY_LOCAL_MACHINE, classes + "CLSID\\" + clsid, view);
    }
    // A key whose "CLSID" subkey names the class it stands for.
    void PlantReference(const std::string& key, const std::string& clsid)
    {
        SetString(HKEY_LOCAL_MACHINE, kClasses + key + "\\CLSID", "", clsid);
        RemoveLater(HKEY_LOCAL_MACHINE, kClasses + key.substr(0, key.find('\\')));
    }
    void PlantInterface(const std::string& iid, const std::string& library)
    {
        SetString(HKEY_LOCAL_MACHINE, kClasses + std::string("Interface\\") + iid + "\\TypeLib", "", library);
        SetString(HKEY_LOCAL_MACHINE, kClasses + std::string("Interface\\") + iid + "\\TypeLib", "Version", "1.0");
        RemoveLater(HKEY_LOCAL_MACHINE, kClasses + std::string("Interface\\") + iid);
    }
};
}

TEST_F(ActiveXScan, ReportsMissingServersAndUnregisteredReferences)
{
    const REGSAM other = TestEnv::OtherView();
    const std::string library = PlantFile(Scratch() + "qmhere.dll");
    PlantClass(kGone, "C:\\QmNowhere\\QmGone.DLL");
    PlantClass(kHere, library);
    PlantClass(kExeServer, "c:\\qmnowhere\\qmserver.exe");
    // Registered in the other view of a 64-bit Windows only: known, but its
    // server is not this scan's to judge. A 32-bit Windows has one view.
    PlantClass(kNative, "c:\\qmnowhere\\qmnative.dll", other);

    PlantReference("QmTest.Document", kUnregistered);
    PlantReference("QmTest.Good", kHere);
    PlantReference("QmTest.Upper", "{0A1B2C3D-0000-4000-8000-00000000B002}");
    PlantReference("QmTest.Native", kNative);
    PlantReference("QmTest.NoBrace", "QmTest.Document");
    PlantReference("QmTestNest\\CLSIDStore", kUnregistered);
    PlantReference("QmTest.Locked", kUnregistered);
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kClasses) + "QmTest.Locked");
    SetString(HKEY_LOCAL_MACHINE, std::string(kClasses) + "CLSID\\" + kHere + "\\CLSID", "", kUnregistered);
    SetString(HKEY_LOCAL_MACHINE, std::string(kClasses) + "VirtualStore\\QmTest.Stored\\CLSID", "", kUnregistered);
    RemoveLater(HKEY_LOCAL_MACHINE, std::string(kClasses) + "VirtualStore");

    SetString(HKEY_LOCAL_MACHINE, std::string(kClasses) + "TypeLib\\" + kLibrary + "\\1.0\\0\\win32", "", library);
    RemoveLater(HKEY_LOCAL_MACHINE, std::string(kClasses) + "TypeLib\\" + kLibrary);
    PlantInterface(kGoneInterface, kUnregistered);
    PlantInterface(kHereInterface, "{0A1B2C3D-0000-4000-8000-00000000D001}");

    std::vector<std::string> expected = {
        "HKEY_CLASSES_ROOT\\CLSID\\{0a1b2c3d-0000-4000-8000-00000000b001}",
        "HKEY_CLASSES_ROOT\\QmTest.Document",
        // Only the final "\CLSID" names the owning key.
        "HKEY_CLASSES_ROOT\\QmTestNest\\CLSIDStore",
        std::string("HKEY_CLASSES_ROOT\\Interface\\") + kGoneInterface,
    };
    if (!other)
        expected.push_back(std::string("HKEY_CLASSES_ROOT\\CLSID\\") + kNative);
    if (TestEnv::Is64BitWindows())
    {
        // The 32-bit view, written through its native name: the own view of
        // a 32-bit build, judged; the other view of a 64-bit build, only known.
        PlantClass(kWow, "c:\\qmnowhere\\qmwow.dll", KEY_WOW64_64KEY, "Software\\Classes\\Wow6432Node\\");
        PlantReference("QmTest.Wow", kWow);
        if (TestEnv::IsWow64())
            expected.push_back("HKEY_CLASSES_ROOT\\CLSID\\{0a1b2c3d-0000-4000-8000-00000000b005}");
    }

    EXPECT_EQ(RunScan(kScanActiveX), FindingsOf(kScanActiveX, expected));
}

TEST_F(ActiveXScan, FailureWhileGatheringClassesJudgesNoReferenceAgainstAHalfList)
{
    // The classes are gathered in name order; the check fails at the first
    // one, before the second is known. A reference to the second must not be
    // judged against what was gathered so far: it is registered.
    const char kLater[] = "{0a1b2c3d-0000-4000-8000-00000000b0f0}";
    const std::string library = PlantFile(Scratch() + "qmlater.dll");
    PlantClass(kGone, "C:\\QmNowhere\\QmGone.DLL");
    PlantClass(kLater, library);
    PlantReference("QmTest.Later", kLater);

    ScanProbe probe;
    RecordingStatus status;
    status.onCall = [](const RecordingStatus::Call& call) {
        if (call.op == "found" && call.text.find("CLSID\\{0a1b2c3d-0000-4000-8000-00000000b001}") != std::string::npos)
            throw std::bad_alloc();
    };
    const std::set<Finding> findings = RunScan(probe, kScanActiveX, status);
    EXPECT_EQ(findings.count({"HKEY_CLASSES_ROOT\\QmTest.Later", kScanActiveX}), 0u);
    EXPECT_EQ(status.Result(), kScanIncomplete);
}
