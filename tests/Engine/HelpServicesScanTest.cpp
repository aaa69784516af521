// Help-file lists and their HTML-help servers, and service programs.
#include "ScanFixture.h"

#include "support/TestRegistry.h"

namespace
{
const char kHelpClasses[] = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char kWindowsHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelp[] = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services";
const char kGoneClass[] = "{0A1B2C3D-0000-4000-8000-00000000A001}";
const char kHereClass[] = "{0A1B2C3D-0000-4000-8000-00000000A002}";
const char kExeClass[] = "{0A1B2C3D-0000-4000-8000-00000000A003}";

std::string Machine(const std::string& key)
{
    return "HKEY_LOCAL_MACHINE\\" + key;
}

class HelpServicesScan : public PlantedEntries
{
protected:
    void PlantHelpServer(const std::string& clsid, const std::string& library)
    {
        SetString(HKEY_LOCAL_MACHINE, std::string(kHelpClasses) + "\\" + clsid + "\\InprocServer32", "", library);
        SetString(HKEY_LOCAL_MACHINE, std::string(kHelpClasses) + "\\" + clsid + "\\InprocServer32",
                  "ThreadingModel", "Both");
        RemoveLater(HKEY_LOCAL_MACHINE, std::string(kHelpClasses) + "\\" + clsid);
    }
    void PlantHelpFile(const char* key, const std::string& file, const std::string& folder)
    {
        SetString(HKEY_LOCAL_MACHINE, key, file, folder);
        RemoveValueLater(HKEY_LOCAL_MACHINE, key, file);
    }
    void PlantService(const std::string& name, const std::string& imagePath, const char* valueName = "ImagePath")
    {
        const std::string key = std::string(kServices) + "\\" + name;
        SetString(HKEY_LOCAL_MACHINE, key, "DisplayName", name);
        SetString(HKEY_LOCAL_MACHINE, key, valueName, imagePath, 0, REG_EXPAND_SZ);
        RemoveLater(HKEY_LOCAL_MACHINE, key);
    }
};
}

TEST_F(HelpServicesScan, HelpFilesAndTheirServers)
{
    const std::string folder = Scratch();
    PlantFile(folder + "qmhere.hlp");
    PlantHelpServer(kGoneClass, "C:\\QmNowhere\\QmHelp.DLL");
    PlantHelpServer(kHereClass, "shell32.dll");
    PlantHelpServer(kExeClass, "c:\\qmnowhere\\qmhelp.exe");
    PlantHelpFile(kWindowsHelp, "QmHere.HLP", folder);
    PlantHelpFile(kWindowsHelp, "QmGone.HLP", "c:\\qmnowhere\\");
    PlantHelpFile(kHtmlHelp, "qmgone.chm", "C:\\QmNowhere");
    PlantHelpFile(kHtmlHelp, "qmhere.chm", "%SystemRoot%");
    PlantFile(WindowsFolder() + "qmhere.chm");

    EXPECT_EQ(RunScan(kScanHelpFiles),
              FindingsOf(kScanHelpFiles, {Machine(kHelpClasses) + "\\" + kGoneClass,
                                          Machine(kWindowsHelp) + "\xAC" + "qmgone.hlp",
                                          Machine(kHtmlHelp) + "\xAC" + "qmgone.chm"}));

    // Without the HTML-help class list the help lists are not looked at.
    ASSERT_TRUE(TestEnv::DeleteTree(HKEY_LOCAL_MACHINE, kHelpClasses));
    EXPECT_TRUE(RunScan(kScanHelpFiles).empty());
}

TEST_F(HelpServicesScan, ServicesWithMissingPrograms)
{
    const std::string program = PlantFile(Scratch() + "qmsvc.exe");
    ASSERT_TRUE(WriteNativeSystemFile("qmntsvc.exe"));
    PlantService("QmGoneSvc", "\"C:\\QmNowhere\\QmSvc.EXE\" -k netsvcs");
    PlantService("QmHereSvc", "\"" + program + "\" /service");
    PlantService("QmVarSvc", "%SystemRoot%\\system32\\qmnowhere.exe");
    PlantService("QmRelativeSvc", "system32\\qmntsvc.exe");
    // The kernel's path forms of a program that is there.
    PlantService("QmNtRootSvc", "\\SystemRoot\\System32\\qmntsvc.exe");
    PlantService("QmDosDeviceSvc", "\\??\\" + program);
    PlantService("QmNtRootGoneSvc", "\\SystemRoot\\System32\\qmnowhere.exe");
    PlantService("QmDriver", "system32\\drivers\\qmnowhere.sys");
    PlantService("QmOtherValue", "c:\\qmnowhere\\qmsvc.exe", "FailureCommand");
    PlantService("QmCaseSvc", "c:\\qmnowhere\\qmsvc.exe", "imagepath");
    PlantService("QmLockedSvc", "c:\\qmnowhere\\qmsvc.exe");
    DenyWrite(HKEY_LOCAL_MACHINE, std::string(kServices) + "\\QmLockedSvc");
    // A 32-bit program's file named by its system32 path is there for either build.
    if (TestEnv::Is64BitWindows())
    {
        ASSERT_TRUE(Write32BitSystemFile("qm32svc.exe"));
        PlantService("Qm32Svc", "C:\\Windows\\System32\\qm32svc.exe");
    }

    const std::string services = Machine(kServices) + "\\";
    EXPECT_EQ(RunScan(kScanServices),
              FindingsOf(kScanServices, {services + "QmGoneSvc", services + "QmVarSvc", services + "QmNtRootGoneSvc",
                                         services + "QmCaseSvc",
                                         // A fresh Wine prefix registers a font cache it does not install.
                                         services + "FontCache3.0.0.0"}));
    RemoveSystemFiles("qmntsvc.exe");
    RemoveSystemFiles("qm32svc.exe");
}
