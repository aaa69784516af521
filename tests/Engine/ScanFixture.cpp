#include "ScanFixture.h"

#include <sddl.h>
#include <shlwapi.h>

#include <ostream>

#include "Framework/CRegKey.h"
#include "support/TestRegistry.h"

void PrintTo(const Finding& finding, std::ostream* out)
{
    std::string text = finding.text;
    for (char& c : text)
        if (c == '\xAC')
            c = '|';
    *out << "{" << std::hex << finding.bit << std::dec << ", \"" << text << "\"}";
}

std::set<Finding> RunScan(ScanProbe& probe, DWORD mask, RecordingStatus& status,
                          const std::set<std::string>& folders, int scanOption)
{
    std::set<Finding> findings;
    if (probe.StartScan(folders, mask, &status, scanOption) != 1)
    {
        ADD_FAILURE() << "the scan did not start";
        return findings;
    }
    probe.Resume();
    if (!status.WaitFinished(600000))
    {
        ADD_FAILURE() << "the scan did not end";
        probe.Stop(1);
        status.WaitFinished();
    }
    for (const RecordingStatus::Call& call : status.Calls())
    {
        if (call.op != "found")
            continue;
        const Finding finding{call.text, static_cast<DWORD>(call.value)};
        EXPECT_TRUE(findings.insert(finding).second) << "reported twice: " << testing::PrintToString(finding);
    }
    for (int i = 0; i < 1000 && probe.GetThreadHandle(); ++i)
        ::Sleep(5);
    return findings;
}

std::set<Finding> RunScan(DWORD mask, const std::set<std::string>& folders)
{
    ScanProbe probe;
    RecordingStatus status;
    return RunScan(probe, mask, status, folders);
}

std::set<Finding> FindingsOf(DWORD bit, const std::vector<std::string>& texts)
{
    std::set<Finding> findings;
    for (const std::string& text : texts)
        findings.insert({text, bit});
    return findings;
}

void PlantedEntries::TearDown()
{
    for (auto it = m_planted.rbegin(); it != m_planted.rend(); ++it)
    {
        if (it->wholeKey)
        {
            CRegKey parent;
            const size_t slash = it->key.rfind('\\');
            const std::string parentPath = slash == std::string::npos ? std::string() : it->key.substr(0, slash);
            const std::string name = slash == std::string::npos ? it->key : it->key.substr(slash + 1);
            if (parent.Open(it->root, parentPath.empty() ? nullptr : parentPath.c_str(),
                            KEY_ALL_ACCESS | it->view) == ERROR_SUCCESS)
                ::SHDeleteKeyA(parent.Get(), name.c_str());
        }
        else
        {
            CRegKey key;
            if (key.Open(it->root, it->key.c_str(), KEY_SET_VALUE | it->view) == ERROR_SUCCESS)
                key.DeleteValue(it->value.c_str());
        }
    }
    for (const std::string& file : m_files)
        ::DeleteFileA(file.c_str());
}

void PlantedEntries::SetData(HKEY root, const std::string& key, const std::string& name, DWORD type,
                             const void* data, DWORD size, REGSAM view)
{
    CRegKey k;
    ASSERT_EQ(k.Create(root, key.c_str(), KEY_SET_VALUE | view), ERROR_SUCCESS) << key;
    ASSERT_EQ(::RegSetValueExA(k.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS)
        << key << " " << name;
}

void PlantedEntries::SetString(HKEY root, const std::string& key, const std::string& name,
                               const std::string& value, REGSAM view, DWORD type)
{
    SetData(root, key, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1), view);
}

void PlantedEntries::CreateKey(HKEY root, const std::string& key, REGSAM view)
{
    CRegKey k;
    ASSERT_EQ(k.Create(root, key.c_str(), KEY_READ | view), ERROR_SUCCESS) << key;
}

void PlantedEntries::DenyWrite(HKEY root, const std::string& key)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // Everyone may read and delete the key (so the test can remove it), no more.
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)(A;;SD;;;WD)",
                                                                       SDDL_REVISION_1, &descriptor, nullptr));
    CRegKey k;
    ASSERT_EQ(k.Open(root, key.c_str(), WRITE_DAC), ERROR_SUCCESS) << key;
    EXPECT_EQ(::RegSetKeySecurity(k.Get(), DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    ::LocalFree(descriptor);
    CRegKey probe;
    EXPECT_EQ(probe.Open(root, key.c_str(), KEY_SET_VALUE), ERROR_ACCESS_DENIED) << key;
}

void PlantedEntries::RemoveLater(HKEY root, const std::string& key, REGSAM view)
{
    m_planted.push_back({root, key, std::string(), true, view});
}

void PlantedEntries::RemoveValueLater(HKEY root, const std::string& key, const std::string& name, REGSAM view)
{
    m_planted.push_back({root, key, name, false, view});
}

std::string PlantedEntries::PlantFile(const std::string& path, const std::string& content)
{
    EXPECT_TRUE(TestEnv::WriteFile(path, content)) << path;
    m_files.push_back(path);
    return path;
}

std::string PlantedEntries::Scratch()
{
    if (m_scratch.empty())
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        m_scratch = TestEnv::MakeScratchFolder(std::string(info->test_suite_name()) + "-" + info->name());
    }
    return m_scratch;
}

std::string SystemFolder()
{
    char buffer[MAX_PATH] = {};
    ::GetSystemDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

std::string WindowsFolder()
{
    char buffer[MAX_PATH] = {};
    ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

bool WriteNativeSystemFile(const std::string& name)
{
    return TestEnv::WriteNativeSystemFile(name, "qm");
}

bool Write32BitSystemFile(const std::string& name)
{
    char folder[MAX_PATH] = {};
    if (!TestEnv::Is64BitWindows() || !::GetSystemWow64DirectoryA(folder, MAX_PATH))
        return false;
    return TestEnv::WriteFile(std::string(folder) + "\\" + name, "qm");
}

void RemoveSystemFiles(const std::string& name)
{
    PVOID old = nullptr;
    const bool off = TestEnv::IsWow64() && ::Wow64DisableWow64FsRedirection(&old);
    ::DeleteFileA((SystemFolder() + name).c_str());
    if (off)
        ::Wow64RevertWow64FsRedirection(old);
    char folder[MAX_PATH] = {};
    if (TestEnv::Is64BitWindows() && ::GetSystemWow64DirectoryA(folder, MAX_PATH))
        ::DeleteFileA((std::string(folder) + "\\" + name).c_str());
}
