// File > Save and File > Open through the real file dialogs, and the unsaved-changes question.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "config_record.h"
#include "outside_files.h"
#include "resource.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(Widened(path).c_str(), std::ios::binary) << bytes;
}

std::string RecordFile(char mode, int width, int height) {
    std::string record(kConfigRecordSize, '\0');
    record[16] = mode;
    record.replace(
        24, 4,
        {char((width - 1) >> 8), char(width - 1), char((height - 1) >> 8), char(height - 1)});
    record[505] = 0x4C;
    return record;
}

const char kQuestion[] = "The current configuration has changed.\nDo you want to save the changes?";

class FileCommands : public WindowTest {
  protected:
    void Command(int id, const std::vector<Answer>& answers) {
        ExpectWindows(answers);
        SendMessageA(app.mainWindow, WM_COMMAND, id, 0);
    }
};

TEST_F(FileCommands, SaveWritesTheSettingsAndOpenShowsTheFirst512BytesOfAFile) {
    std::string path = TestPath("saved.tnx");
    MarkConfigurationChanged();
    Command(IDM_FILE_SAVE, {{"Save File", IDOK, path.c_str()}});
    EXPECT_EQ("Config.TNX", seen[0].text);
    EXPECT_EQ(app.mainWindow, seen[0].owner);
    EXPECT_FALSE(app.configurationChanged);
    EXPECT_EQ(RecordFile(2, 1920, 1080), FileBytes(path));
    WriteBytes(path, RecordFile(1, 1280, 1024) + std::string(88, '\x7F'));
    MarkConfigurationChanged();
    Command(IDM_FILE_OPEN, {{kAppCaption, IDNO}, {"Open File", IDOK}}); // the saved path again
    EXPECT_EQ(kQuestion, seen[0].text);
    ExpectSettings(1, "1280", "1024");
    EXPECT_FALSE(app.configurationChanged);
    Command(IDM_FILE_SAVE, {{"Save File", IDOK}, {"Save File", IDYES}}); // it asks to replace it
    EXPECT_EQ(RecordFile(1, 1280, 1024), FileBytes(path));
    Command(IDM_FILE_SAVE, {{"Save File", IDCANCEL}}); // forgets the path
    Command(IDM_FILE_SAVE, {{"Save File", IDCANCEL}});
    EXPECT_EQ("Config.TNX", seen[0].text);
}

// Dropped files come as the shell hands them over: a block of UTF-16 names after its header.
HDROP DroppedFiles(const std::vector<std::string>& names) {
    std::wstring wide;
    for (const std::string& name : names)
        wide += Widened(name) + L'\0';
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 1) * sizeof(wchar_t));
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    memcpy(header + 1, wide.c_str(), wide.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

// Every kind of bad file as a user meets it, through File > Open, the command line, a drop and
// File > Save. Each gets its message, or opens (its first 512 bytes) or saves as the rules say; a
// failure changes neither the window nor the unsaved flag, and no failed save changes the file it
// would have replaced. A name outside the ANSI code page reaches that file, never the one the code
// page's look-alike letters name. The disks are prepared as root, else passed over.
TEST_F(FileCommands, EveryBadFileGetsItsMessageAndLosesNothing) {
    enum How { kOpen, kCommandLine, kDrop, kSave };
    enum Prepare { kNothing, kWritten, kHeld, kReadOnly, kHidden, kOnPreparedDisk };
    const char kInvalid[] = "Invalid configuration file", kNotOpened[] = "Error opening the file",
               kNotSaved[] = "Error saving the file";
    const std::string folder = TestPath(""), sized = TestPath("sized.tnx"),
                      lookAlike = folder + "\xce\xb1\xc5\x81\xef\xbc\xa3.TNX", // alpha L-stroke C
        decoy = TestPath("aLC.TNX"), outside = TestPath("\xce\xb1\xc5\x81"),
                      longFolder = folder + std::string(MAX_PATH - 1 - folder.size() - 6, 'd');
    CreateDirectoryA(longFolder.c_str(), nullptr);
    CreateDirectoryW(Widened(outside).c_str(), nullptr);
    WriteBytes(decoy, RecordFile(0, 800, 600));
    // what it is, how it comes, its name, how many bytes it has, what it meets, the message
    const std::tuple<const char*, How, std::string, int, Prepare, const char*> cases[] = {
        {"0 bytes", kOpen, sized, 0, kWritten, kInvalid},
        {"1 byte", kOpen, sized, 1, kWritten, kInvalid},
        {"511 bytes", kOpen, sized, 511, kWritten, kInvalid},
        {"512 bytes", kOpen, sized, 512, kWritten, nullptr},
        {"513 bytes", kOpen, sized, 513, kWritten, nullptr},
        {"600 bytes", kOpen, sized, 600, kWritten, nullptr},
        {"1 MiB", kOpen, sized, 1 << 20, kWritten, nullptr},
        {"held by another program", kOpen, sized, 512, kHeld, kNotOpened},
        {"a look-alike of another's name", kOpen, lookAlike, 512, kWritten, nullptr},
        {"a look-alike of another's name", kCommandLine, lookAlike, 512, kWritten, nullptr},
        {"a look-alike of another's name", kDrop, lookAlike, 512, kWritten, nullptr},
        {"missing, quoted", kCommandLine, '"' + TestPath("missing.tnx") + '"', 0, kNothing,
         kNotOpened},
        {"a folder", kCommandLine, folder, 0, kNothing, kNotOpened},
        {"too long for the name buffer", kCommandLine, std::string(kConfigFileNameSize, 'a'), 0,
         kNothing, kNotOpened},
        {"held by another program", kSave, sized, 512, kHeld, kNotSaved},
        {"read-only", kSave, sized, 512, kReadOnly, kNotSaved},
        {"on a read-only disk", kSave, TestPath("config.tnx", "readonly"), 512, kOnPreparedDisk,
         kNotSaved},
        {"on a full disk", kSave, TestPath("config.tnx", "full"), 512, kOnPreparedDisk, kNotSaved},
        {"in a folder that takes no new file", kSave, TestPath("config.tnx", "sealed"), 512,
         kOnPreparedDisk, nullptr}, // written in place
        {"a look-alike of another's name", kSave, lookAlike, 512, kWritten, nullptr},
        {"in a folder outside the code page", kSave, outside + "\\x.tnx", 0, kNothing, nullptr},
        {"hidden", kSave, sized, 512, kHidden, nullptr},
        {"at the longest path", kSave, longFolder + "\\x.tnx", 0, kNothing, nullptr},
    };
    const std::string bytes = RecordFile(1, 1600, 900) + std::string(1 << 20, '\x7F');
    const char* const kHowNames[] = {"File > Open", "the command line", "a drop", "File > Save"};
    for (const auto& [what, how, path, size, prepare, message] : cases) {
        SCOPED_TRACE(std::string(kHowNames[how]) + ": " + what);
        if (path.empty())
            continue;
        const std::wstring name = Widened(path);
        if (prepare != kNothing && prepare != kOnPreparedDisk)
            WriteBytes(path, bytes.substr(0, size));
        if (prepare == kReadOnly || prepare == kHidden)
            SetFileAttributesW(name.c_str(), prepare == kHidden ? FILE_ATTRIBUTE_HIDDEN
                                                                : FILE_ATTRIBUTE_READONLY);
        const std::string before = FileBytes(path);
        HANDLE held = prepare == kHeld ? CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr,
                                                     OPEN_EXISTING, 0, nullptr)
                                       : INVALID_HANDLE_VALUE;
        ShowSavedSettings(2, "1920", "1080");
        MarkConfigurationChanged();
        std::vector<Answer> answers;
        if (how != kSave)
            answers.push_back({kAppCaption, IDNO}); // the unsaved changes are let go
        if (how == kOpen || how == kSave)
            answers.push_back({how == kSave ? "Save File" : "Open File", IDOK, path.c_str()});
        if (how == kSave && prepare != kNothing)
            answers.push_back({"Save File", IDYES}); // replace it
        if (message)
            answers.push_back({kAppCaption, IDOK});
        ExpectWindows(answers);
        if (how == kCommandLine)
            OpenCommandLineFile((L"Tandemix.exe " + name).c_str());
        else if (how == kDrop) // of several files, the first
            SendMessageA(app.mainWindow, WM_DROPFILES, WPARAM(DroppedFiles({path, decoy})), 0);
        else
            SendMessageA(app.mainWindow, WM_COMMAND, how == kSave ? IDM_FILE_SAVE : IDM_FILE_OPEN,
                         0);
        CloseHandle(held);
        if (prepare == kHidden) {
            EXPECT_TRUE(GetFileAttributesW(name.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        }
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (message) {
            EXPECT_EQ(message, seen[answers.size() - 1].text);
            EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[answers.size() - 1].icon);
        }
        bool opened = how != kSave && !message;
        ExpectSettings(opened ? 1 : 2, opened ? "1600" : "1920", opened ? "900" : "1080");
        EXPECT_TRUE(!opened || name == app.fileName) << "the name a later save proposes";
        EXPECT_EQ(message != nullptr, app.configurationChanged);
        EXPECT_EQ(how == kSave && !message ? RecordFile(2, 1920, 1080) : before, FileBytes(path));
    }
    EXPECT_EQ(RecordFile(0, 800, 600), FileBytes(decoy));
    EXPECT_TRUE(DeleteFileA((longFolder + "\\x.tnx").c_str()) &&
                RemoveDirectoryA(longFolder.c_str()) &&
                DeleteFileW(Widened(outside + "\\x.tnx").c_str()) &&
                RemoveDirectoryW(Widened(outside).c_str()))
        << "the saves left nothing else beside the files";
}

TEST_F(FileCommands, TheUnsavedChangesQuestionGuardsNewOpenExitAndClose) {
    const std::tuple<int, int, bool> cases[] = {
        {IDM_FILE_NEW, IDCANCEL, false}, {IDM_FILE_NEW, IDNO, true},
        {IDM_FILE_OPEN, IDYES, false},   {0, IDCANCEL, false},
        {IDM_FILE_EXIT, IDYES, false},   {0, IDNO, true}};
    for (auto [command, reply, runs] : cases) { // command 0: the close box
        SCOPED_TRACE(std::to_string(command) + " reply " + std::to_string(reply));
        ShowSavedSettings(2, "1920", "1080");
        MarkConfigurationChanged();
        if (reply == IDYES) // the Save dialog, cancelled here, abandons the command
            ExpectWindows({{kAppCaption, IDYES}, {"Save File", IDCANCEL}});
        else
            ExpectWindows({{kAppCaption, reply}});
        SendMessageA(app.mainWindow, command ? WM_COMMAND : WM_CLOSE, command, 0);
        EXPECT_EQ(LoadIconA(nullptr, IDI_QUESTION), seen[0].icon);
        if (command == IDM_FILE_NEW) {
            EXPECT_EQ(runs ? 0 : 2, SelectedControlMode());
        } else {
            EXPECT_EQ(!runs, IsWindow(app.mainWindow) != FALSE);
        }
    }
}

} // namespace
