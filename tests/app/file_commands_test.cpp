// File > Save and File > Open through the real file dialogs, and the unsaved-changes question.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "app_harness.h"
#include "app_state.h"
#include "config_record.h"
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

class FileCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateTestMainWindow();
        ShowSavedSettings(2, "1920", "1080");
    }
    void TearDown() override {
        DestroyTestMainWindow();
    }
    void Command(int id, std::initializer_list<Answer> answers) {
        ExpectWindows(answers);
        SendMessageA(app.mainWindow, WM_COMMAND, id, 0);
    }
    void ExpectSettingsKept() {
        EXPECT_EQ(2, SelectedControlMode());
        EXPECT_EQ("1920", WindowText(app.controls.xBox));
        EXPECT_TRUE(app.configurationChanged);
    }
};

TEST_F(FileCommands, SaveProposesTheDefaultNameThenThePathItSavedTo) {
    std::string path = TestPath("first.tnx");
    MarkConfigurationChanged();
    Command(IDM_FILE_SAVE, {{"Save File", IDOK, path.c_str()}});
    EXPECT_EQ("Config.TNX", seen[0].text);
    EXPECT_EQ(app.mainWindow, seen[0].owner);
    EXPECT_FALSE(app.configurationChanged);
    EXPECT_EQ(RecordFile(2, 1920, 1080), FileBytes(path));
    ShowSavedSettings(1, "2560", "1440");
    Command(IDM_FILE_SAVE, {{"Save File", IDOK}, {"Save File", IDYES}});
    EXPECT_EQ(path.substr(path.rfind('\\') + 1), seen[0].text);
    EXPECT_EQ(RecordFile(1, 2560, 1440), FileBytes(path));
    Command(IDM_FILE_SAVE, {{"Save File", IDCANCEL}}); // forgets the path
    Command(IDM_FILE_SAVE, {{"Save File", IDCANCEL}});
    EXPECT_EQ("Config.TNX", seen[0].text);
}

TEST_F(FileCommands, OpenShowsTheFirst512BytesOfAFileAndClearsTheUnsavedFlag) {
    std::string path = TestPath("long.bin"), again = TestPath("again.tnx");
    WriteBytes(path, RecordFile(1, 1280, 1024) + std::string(88, '\x7F'));
    MarkConfigurationChanged();
    Command(IDM_FILE_OPEN, {{kAppCaption, IDNO}, {"Open File", IDOK, path.c_str()}});
    EXPECT_EQ(kQuestion, seen[0].text);
    EXPECT_EQ(1, SelectedControlMode());
    EXPECT_EQ("1024", WindowText(app.controls.yBox));
    EXPECT_FALSE(app.configurationChanged);
    Command(IDM_FILE_SAVE, {{"Save File", IDOK, again.c_str()}});
    EXPECT_EQ(RecordFile(1, 1280, 1024), FileBytes(again));
}

TEST_F(FileCommands, FilesThatCannotBeOpenedAreReportedAndChangeNothing) {
    std::string path = TestPath("bad.tnx");
    for (int size : {0, 28, 511, -1}) { // -1: a full file that another program holds
        WriteBytes(path, RecordFile(1, 1600, 900).substr(0, size < 0 ? 512 : size));
        HANDLE lock = size < 0 ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             0, nullptr)
                               : INVALID_HANDLE_VALUE;
        MarkConfigurationChanged();
        Command(IDM_FILE_OPEN,
                {{kAppCaption, IDNO}, {"Open File", IDOK, path.c_str()}, {kAppCaption, IDOK}});
        CloseHandle(lock);
        EXPECT_EQ(size < 0 ? "Error opening the file" : "Invalid configuration file", seen[2].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), seen[2].icon);
        ExpectSettingsKept();
    }
}

TEST_F(FileCommands, FilesThatCannotBeWrittenAreReportedAndKeepTheUnsavedFlag) {
    for (const char* folder : {"readonly", "full"}) {
        std::string path = TestPath("config.tnx", folder);
        if (path.empty())
            GTEST_SKIP() << "no " << folder << " file system was prepared (mounting needs root)";
        MarkConfigurationChanged();
        Command(IDM_FILE_SAVE, {{"Save File", IDOK, path.c_str()}, {kAppCaption, IDOK}});
        EXPECT_EQ("Error saving the file", seen[1].text) << folder;
        ExpectSettingsKept();
    }
}

TEST_F(FileCommands, TheUnsavedChangesQuestionGuardsNewOpenExitAndClose) {
    const struct {
        int command; // 0: the close box
        int reply;
        bool runs;
    } cases[] = {{IDM_FILE_NEW, IDCANCEL, false},
                 {IDM_FILE_NEW, IDYES, false},
                 {IDM_FILE_NEW, IDNO, true},
                 {IDM_FILE_OPEN, IDYES, false},
                 {0, IDCANCEL, false},
                 {IDM_FILE_EXIT, IDYES, false},
                 {0, IDNO, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " reply " + std::to_string(c.reply));
        ShowSavedSettings(2, "1920", "1080");
        MarkConfigurationChanged();
        if (c.reply == IDYES) // the Save dialog, cancelled here, abandons the command
            ExpectWindows({{kAppCaption, IDYES}, {"Save File", IDCANCEL}});
        else
            ExpectWindows({{kAppCaption, c.reply}});
        SendMessageA(app.mainWindow, c.command ? WM_COMMAND : WM_CLOSE, c.command, 0);
        EXPECT_EQ(LoadIconA(nullptr, IDI_QUESTION), seen[0].icon);
        if (c.command == IDM_FILE_NEW) {
            EXPECT_EQ(c.runs ? 0 : 2, SelectedControlMode());
        } else {
            EXPECT_EQ(!c.runs, IsWindow(app.mainWindow) != FALSE);
        }
    }
}

} // namespace
