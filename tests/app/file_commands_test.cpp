// File > Save and File > Open through the real file dialogs, and the unsaved-changes question.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <tuple>

#include "app_harness.h"
#include "app_state.h"
#include "config_record.h"
#include "outside_files.h"
#include "resource.h"

namespace {

// A file in the temporary folder, or (with a folder) in one the test runner prepared as root:
// a tmpfs that is full or read-only. Empty when that folder was not prepared.
std::string TestPath(const char* name, const char* preparedFolder = nullptr) {
    char folder[MAX_PATH] = "Z:";
    if (!preparedFolder)
        GetTempPathA(sizeof(folder), folder);
    else if (GetEnvironmentVariableA("TANDEMIX_FIXTURE_DIR", folder + 2, sizeof(folder) - 2))
        strcat(strcat(strcat(folder, "/"), preparedFolder), "/");
    std::string path = folder;
    std::replace(path.begin(), path.end(), '/', '\\');
    if (preparedFolder && GetFileAttributesA((path + "ready").c_str()) == INVALID_FILE_ATTRIBUTES)
        return "";
    path += name;
    if (!preparedFolder)
        DeleteFileA(path.c_str());
    return path;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
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
    void Command(int id, std::initializer_list<Answer> answers) {
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
    SetWindowTextA(app.controls.xBox, "125"); // a size the screen's replaces is named first
    Command(IDM_FILE_SAVE, {{kAppCaption, IDCANCEL}});
    EXPECT_EQ(app.controls.xBox, GetFocus());
}

// Dropped files come as the shell hands them over: a block of names after its header.
HDROP DroppedFiles(const std::string& names) {
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 2);
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    memcpy(header + 1, names.c_str(), names.size());
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

TEST_F(FileCommands, AFileNamedOnTheCommandLineOrDroppedOnTheWindowOpensAsOpenWould) {
    std::string path = TestPath("outside.tnx"), other = TestPath("other.tnx");
    WriteBytes(path, RecordFile(1, 1280, 1024));
    OpenCommandLineFile(path.c_str());
    ExpectSettings(1, "1280", "1024");
    EXPECT_EQ(path, app.fileName);
    for (const std::string& line : // missing, too long for the name buffer, a folder
         {"\"" + other + "\"", std::string(kConfigFileNameSize, 'a'), TestPath("")}) {
        Command(0, {{kAppCaption, IDOK}});
        OpenCommandLineFile(line.c_str());
        EXPECT_EQ("Error opening the file", seen[0].text);
    }
    WriteBytes(other, RecordFile(0, 800, 600));
    MarkConfigurationChanged();
    Command(0, {{kAppCaption, IDNO}});
    SendMessageA(app.mainWindow, WM_DROPFILES, WPARAM(DroppedFiles(other + '\0' + path)), 0);
    EXPECT_EQ(kQuestion, seen[0].text);
    ExpectSettings(0, "800", "600");
}

// A file of 512 bytes or more shows its first 512; any other gets its message and changes nothing.
TEST_F(FileCommands, FilesOfEverySizeOpenOnlyWhenTheyHoldARecord) {
    std::string path = TestPath("sized.tnx");
    const std::string bytes = RecordFile(1, 1600, 900) + std::string(1 << 20, '\x7F');
    for (int size : {0, 1, 511, 512, 513, 1 << 20, -1}) { // -1: a full file another program holds
        ShowSavedSettings(2, "1920", "1080");
        WriteBytes(path, bytes.substr(0, size < 0 ? 512 : size));
        HANDLE lock = size < 0 ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             0, nullptr)
                               : INVALID_HANDLE_VALUE;
        MarkConfigurationChanged();
        if (size >= 512) {
            Command(IDM_FILE_OPEN, {{kAppCaption, IDNO}, {"Open File", IDOK, path.c_str()}});
            ExpectSettings(1, "1600", "900");
            continue;
        }
        Command(IDM_FILE_OPEN,
                {{kAppCaption, IDNO}, {"Open File", IDOK, path.c_str()}, {kAppCaption, IDOK}});
        CloseHandle(lock);
        EXPECT_EQ(size < 0 ? "Error opening the file" : "Invalid configuration file", seen[2].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[2].icon);
        ExpectSettings(2, "1920", "1080");
        EXPECT_TRUE(app.configurationChanged);
    }
}

// Saves over a file on a read-only and on a full file system (prepared as root), over a read-only
// file and over one another program holds: each is reported, and the file stays whole.
TEST_F(FileCommands, ASaveThatFailsIsReportedAndLeavesTheFileItWouldReplaceWhole) {
    for (const char* where : {"readonly", "full", "read-only file", "held file"}) {
        bool fixture = strchr(where, ' ') == nullptr;
        std::string path = fixture ? TestPath("config.tnx", where) : TestPath("kept.tnx");
        if (path.empty()) // not prepared: mounting needs root
            continue;
        if (!fixture)
            WriteBytes(path, RecordFile(0, 800, 600));
        std::string before = FileBytes(path);
        if (where[0] == 'r' && !fixture)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        HANDLE lock = where[0] == 'h' ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
        MarkConfigurationChanged();
        Command(IDM_FILE_SAVE,
                {{"Save File", IDOK, path.c_str()}, {"Save File", IDYES}, {kAppCaption, IDOK}});
        CloseHandle(lock);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ("Error saving the file", seen[2].text) << where;
        EXPECT_EQ(before, FileBytes(path)) << where;
        EXPECT_TRUE(app.configurationChanged);
    }
}

TEST_F(FileCommands, TheUnsavedChangesQuestionGuardsNewOpenExitAndClose) {
    const std::tuple<int, int, bool> cases[] = {{IDM_FILE_NEW, IDCANCEL, false},
                                                {IDM_FILE_NEW, IDYES, false},
                                                {IDM_FILE_NEW, IDNO, true},
                                                {IDM_FILE_OPEN, IDYES, false},
                                                {0, IDCANCEL, false},
                                                {IDM_FILE_EXIT, IDYES, false},
                                                {0, IDNO, true}};
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
