// File > Save and File > Open with the real file dialogs, answered from a helper thread, and the
// unsaved-changes question on every command that would drop changes.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "app_state.h"
#include "file_commands.h"
#include "settings_window.h"
#include "resource.h"
#include "tests/app/app_harness.h"

namespace {

const char kCaption[] = "Tandemix Configuration Utility";
const char kQuestion[] = "The current configuration has changed.\nDo you want to save the changes?";
const int kWait = 5000;

std::string TestFolder() {
    static std::string folder;
    if (folder.empty()) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof(temp), temp);
        folder = std::string(temp) + "tandemix-file-tests-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        // Process ids come back: start from an empty folder, or a name would already exist.
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string file = folder + "\\" + found.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
    }
    return folder;
}

std::string TestPath(const char* name) {
    return TestFolder() + "\\" + name;
}

std::string ReadFile(const std::string& path) {
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return content;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0)
        content.append(buffer, n);
    fclose(file);
    return content;
}

void WriteFile(const std::string& path, const std::string& content) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    FILE* file = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << path;
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}

std::string RecordFile(unsigned char mode, unsigned int width, unsigned int height) {
    std::string record(kConfigRecordSize, '\0');
    record[16] = static_cast<char>(mode);
    record[24] = static_cast<char>((width - 1) >> 8);
    record[25] = static_cast<char>((width - 1) & 0xFF);
    record[26] = static_cast<char>((height - 1) >> 8);
    record[27] = static_cast<char>((height - 1) & 0xFF);
    record[505] = 0x4C;
    return record;
}

class ConfigFile : public ::testing::Test {
  protected:
    void SetUp() override {
        app.fileName[0] = '\0';
        CreateTestMainWindow();
        ShowTestMainWindow();
    }
    void TearDown() override {
        DestroyTestMainWindow();
    }

    // Runs a command while the helper thread answers the given windows in order.
    void Run(int command, const Answer* answers, int count, ModalAnswerer** keep = nullptr) {
        ModalAnswerer* answerer = new ModalAnswerer(answers, count);
        SendMessageA(app.mainWindow, WM_COMMAND, command, 0);
        answerer->Finish();
        if (keep)
            *keep = answerer;
        else
            delete answerer;
    }

    bool Save(const std::string& path) {
        const Answer answers[] = {{"Save File", IDOK, path.c_str(), 0, kWait}};
        ModalAnswerer answerer(answers, 1);
        bool saved = SaveConfigFile();
        answerer.Finish();
        proposed = answerer.seen[0].fileName;
        return saved;
    }

    void Open(const std::string& path) {
        const Answer answers[] = {{"Open File", IDOK, path.c_str(), 0, kWait}};
        ModalAnswerer answerer(answers, 1);
        OpenConfigFile();
        answerer.Finish();
        proposed = answerer.seen[0].fileName;
    }

    std::string proposed;
};

TEST_F(ConfigFile, SaveProposesTheDefaultNameThenThePathAndWrites512Bytes) {
    ShowSavedSettings(2, "1920", "1080");
    std::string path = TestPath("first.tnx");
    DeleteFileA(path.c_str());
    app.configurationChanged = true;
    ASSERT_TRUE(Save(path));
    EXPECT_EQ("Config.TNX", proposed);
    EXPECT_FALSE(app.configurationChanged);
    EXPECT_EQ(RecordFile(2, 1920, 1080), ReadFile(path));
    EXPECT_STREQ(path.c_str(), app.fileName);

    // The next Save starts from that path (the dialog shows its folder and name); a confirmed
    // overwrite replaces the file.
    ShowSavedSettings(1, "2560", "1440");
    const Answer answers[] = {{"Save File", IDOK, nullptr, 0, kWait},
                              {"Save File", IDYES, nullptr, 0, kWait}};
    ModalAnswerer answerer(answers, 2);
    EXPECT_TRUE(SaveConfigFile());
    answerer.Finish();
    EXPECT_EQ("first.tnx", answerer.seen[0].fileName);
    EXPECT_TRUE(answerer.seen[1].found); // the overwrite question
    EXPECT_STREQ(path.c_str(), app.fileName);
    EXPECT_EQ(RecordFile(1, 2560, 1440), ReadFile(path));

    // Cancelled: nothing is written and the default name comes back.
    const Answer cancel[] = {{"Save File", IDCANCEL, nullptr, 0, kWait}};
    ModalAnswerer cancelled(cancel, 1);
    EXPECT_FALSE(SaveConfigFile());
    cancelled.Finish();
    EXPECT_STREQ("", app.fileName);
    ASSERT_TRUE(Save(TestPath("second.tnx")));
    EXPECT_EQ("Config.TNX", proposed);
}

TEST_F(ConfigFile, BothDialogsBelongToTheMainWindow) {
    const int commands[] = {IDM_FILE_SAVE, IDM_FILE_OPEN};
    const Answer answers[] = {{"Save File", IDCANCEL, nullptr, 0, kWait},
                              {"Open File", IDCANCEL, nullptr, 0, kWait}};
    for (int n = 0; n < 2; ++n) {
        ModalAnswerer* answerer = nullptr;
        Run(commands[n], &answers[n], 1, &answerer);
        ASSERT_TRUE(answerer->seen[0].found) << answers[n].title;
        EXPECT_EQ(app.mainWindow, answerer->seen[0].owner) << answers[n].title;
        delete answerer;
    }
}

TEST_F(ConfigFile, ARoundTripRestoresTheWindowAndSavesTheSameBytes) {
    ShowSavedSettings(1, "3840", "2160");
    std::string path = TestPath("round.tnx");
    DeleteFileA(path.c_str());
    ASSERT_TRUE(Save(path));
    std::string saved = ReadFile(path);
    ShowSavedSettings(0, "800", "600");
    app.fileName[0] = '\0';
    Open(path);
    EXPECT_EQ(1, SelectedControlMode());
    EXPECT_EQ("3840", WindowText(app.controls.xBox));
    EXPECT_EQ("2160", WindowText(app.controls.yBox));
    std::string again = TestPath("round-again.tnx");
    DeleteFileA(again.c_str());
    app.fileName[0] = '\0';
    ASSERT_TRUE(Save(again));
    EXPECT_EQ(saved, ReadFile(again));
}

TEST_F(ConfigFile, OpeningAFileClearsTheUnsavedFlag) {
    std::string path = TestPath("clears.tnx");
    WriteFile(path, RecordFile(1, 1600, 900));
    app.configurationChanged = true;
    const Answer answers[] = {{kCaption, IDNO, nullptr, 0, kWait},
                              {"Open File", IDOK, path.c_str(), 0, kWait}};
    ModalAnswerer answerer(answers, 2);
    OpenConfigFile();
    answerer.Finish();
    EXPECT_EQ(1, SelectedControlMode());
    EXPECT_FALSE(app.configurationChanged);
}

TEST_F(ConfigFile, OpenTakesTheFirst512BytesOfAnyFile) {
    std::string longFile = RecordFile(2, 1280, 1024) + std::string(88, '\x7F');
    std::string path = TestPath("long.bin");
    WriteFile(path, longFile);
    Open(path);
    EXPECT_EQ(2, SelectedControlMode());
    EXPECT_EQ("1280", WindowText(app.controls.xBox));
    EXPECT_EQ("1024", WindowText(app.controls.yBox));

    std::string adapterImage = RecordFile(1, 1600, 900);
    adapterImage[505] = 0; // as read from an adapter, under another extension
    path = TestPath("image.cfg");
    WriteFile(path, adapterImage);
    Open(path);
    EXPECT_EQ(1, SelectedControlMode());
    EXPECT_EQ("1600", WindowText(app.controls.xBox));
}

TEST_F(ConfigFile, AnUnknownControlModeOpensAsNoSelectionAndSavesAsFF) {
    std::string path = TestPath("mode5.tnx");
    WriteFile(path, RecordFile(5, 1920, 1080));
    Open(path);
    EXPECT_EQ(-1, SelectedControlMode());
    std::string saved = TestPath("mode5-saved.tnx");
    DeleteFileA(saved.c_str());
    app.fileName[0] = '\0';
    ASSERT_TRUE(Save(saved));
    EXPECT_EQ('\xFF', ReadFile(saved)[16]);
}

TEST_F(ConfigFile, ShortAndEmptyFilesAreRefusedAndChangeNothing) {
    const std::string contents[] = {"", RecordFile(2, 1920, 1080).substr(0, 511),
                                    RecordFile(2, 1920, 1080).substr(0, 28)};
    for (const std::string& content : contents) {
        ShowSavedSettings(1, "1111", "777");
        app.configurationChanged = true;
        SetWindowPos(app.controls.saveButton, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::string path = TestPath("short.tnx");
        WriteFile(path, content);
        const Answer answers[] = {{kCaption, IDNO, nullptr, 0, kWait},
                                  {"Open File", IDOK, path.c_str(), 0, kWait},
                                  {kCaption, IDOK, nullptr, 0, kWait}};
        ModalAnswerer answerer(answers, 3);
        OpenConfigFile();
        answerer.Finish();
        ASSERT_TRUE(answerer.seen[2].found) << content.size();
        EXPECT_EQ("Invalid configuration file", answerer.seen[2].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), answerer.seen[2].icon);
        EXPECT_EQ(app.mainWindow, answerer.seen[2].owner);
        EXPECT_EQ(1, SelectedControlMode());
        EXPECT_EQ("1111", WindowText(app.controls.xBox));
        EXPECT_EQ("777", WindowText(app.controls.yBox));
        EXPECT_TRUE(app.configurationChanged);
        EXPECT_EQ(0, ClientRectOf(app.controls.saveButton).left); // no layout pass
    }
}

TEST_F(ConfigFile, CancelledOpenChangesNothing) {
    ShowSavedSettings(2, "1234", "987");
    strcpy(app.fileName, "C:\\somewhere\\kept.tnx");
    const Answer answers[] = {{"Open File", IDCANCEL, nullptr, 0, kWait}};
    Run(IDM_FILE_OPEN, answers, 1);
    EXPECT_EQ(2, SelectedControlMode());
    EXPECT_EQ("1234", WindowText(app.controls.xBox));
    EXPECT_STREQ("C:\\somewhere\\kept.tnx", app.fileName);
}

// A folder the test runner prepared (as root: tiny tmpfs mounts), or empty when it could not.
std::string FixtureFolder(const char* name) {
    char folder[MAX_PATH] = "";
    GetEnvironmentVariableA("TANDEMIX_FIXTURE_DIR", folder, sizeof(folder));
    std::string dir = std::string("Z:") + folder + "/" + name;
    for (char& c : dir)
        if (c == '/')
            c = '\\';
    if (!folder[0] || GetFileAttributesA((dir + "\\ready").c_str()) == INVALID_FILE_ATTRIBUTES)
        return "";
    return dir;
}

// Read-only through a read-only file system: the file's own attribute does not stop root.
TEST_F(ConfigFile, AFileThatCannotBeWrittenIsReportedAndKeepsItsName) {
    std::string folder = FixtureFolder("readonly");
    if (folder.empty())
        GTEST_SKIP() << "no read-only file system was prepared (mounting a tmpfs needs root)";
    std::string path = folder + "\\readonly.tnx";
    std::string before = ReadFile(path);
    strcpy(app.fileName, path.c_str());
    app.configurationChanged = true;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Answer answers[] = {{"Save File", IDOK, nullptr, 0, kWait},
                                  {"Save File", IDYES, nullptr, 0, kWait},
                                  {kCaption, IDOK, nullptr, 0, kWait}};
        ModalAnswerer answerer(answers, 3);
        EXPECT_FALSE(SaveConfigFile());
        answerer.Finish();
        EXPECT_EQ("readonly.tnx", answerer.seen[0].fileName); // the same path again
        EXPECT_EQ("Error saving the file", answerer.seen[2].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), answerer.seen[2].icon);
        EXPECT_EQ(app.mainWindow, answerer.seen[2].owner);
        EXPECT_STREQ(path.c_str(), app.fileName);
        EXPECT_TRUE(app.configurationChanged);
    }
    EXPECT_EQ(before, ReadFile(path));
}

TEST_F(ConfigFile, ALockedFileCannotBeOpened) {
    std::string path = TestPath("locked.tnx");
    WriteFile(path, RecordFile(2, 1920, 1080));
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    ShowSavedSettings(0, "1000", "700");
    const Answer answers[] = {{"Open File", IDOK, path.c_str(), 0, kWait},
                              {kCaption, IDOK, nullptr, 0, kWait}};
    ModalAnswerer answerer(answers, 2);
    OpenConfigFile();
    answerer.Finish();
    CloseHandle(lock);
    EXPECT_EQ("Error opening the file", answerer.seen[1].text);
    EXPECT_EQ(0, SelectedControlMode());
    EXPECT_EQ("1000", WindowText(app.controls.xBox));
}

// A name that fills the whole buffer: the dialogs start from it and a cancel leaves no trace.
TEST_F(ConfigFile, ANameAtTheBuffersLimitIsHandledByTheDialogs) {
    std::string longest = "C:\\" + std::string(kConfigFileNameSize - 4, 'n');
    ASSERT_EQ(static_cast<size_t>(kConfigFileNameSize - 1), longest.size());
    strcpy(app.fileName, longest.c_str());
    const Answer open[] = {{"Open File", IDCANCEL, nullptr, 0, kWait}};
    Run(IDM_FILE_OPEN, open, 1);
    EXPECT_STREQ(longest.c_str(), app.fileName);
    const Answer save[] = {{"Save File", IDCANCEL, nullptr, 0, kWait}};
    ModalAnswerer answerer(save, 1);
    EXPECT_FALSE(SaveConfigFile());
    answerer.Finish();
    EXPECT_STREQ("", app.fileName);
    EXPECT_TRUE(IsWindow(app.mainWindow));
}

// A file system with no room left: the bytes cannot all reach the file.
TEST_F(ConfigFile, AFullDiskFailsLoudly) {
    std::string folder = FixtureFolder("full");
    if (folder.empty())
        GTEST_SKIP() << "no full file system was prepared (mounting a tmpfs needs root)";
    std::string path = folder + "\\config.tnx";
    DeleteFileA(path.c_str());
    app.configurationChanged = true;
    const Answer answers[] = {{"Save File", IDOK, path.c_str(), 0, kWait},
                              {kCaption, IDOK, nullptr, 0, kWait}};
    ModalAnswerer answerer(answers, 2);
    EXPECT_FALSE(SaveConfigFile());
    answerer.Finish();
    EXPECT_EQ("Error saving the file", answerer.seen[1].text);
    EXPECT_TRUE(app.configurationChanged);
}

// The unsaved-changes question, raised only by the user's own edits.
TEST_F(ConfigFile, ProgramWritesNeverMarkTheConfigurationChanged) {
    app.configurationChanged = false;
    ResetConfiguration();
    unsigned char record[kConfigRecordSize];
    BuildConfigRecord(record);
    record[16] = 2;
    ApplyConfigRecord(record);
    SendMessageA(app.mainWindow, WM_COMMAND, IDM_FILE_NEW, 0);
    EXPECT_FALSE(app.configurationChanged);
}

TEST_F(ConfigFile, TypingAndChoosingMarkTheConfigurationChanged) {
    SetFocus(app.controls.xBox);
    PumpMessages(20);
    PressKey('5');
    EXPECT_TRUE(app.configurationChanged);
    app.configurationChanged = false;
    SetFocus(app.controls.controlModeList);
    PumpMessages(20);
    PressKey(VK_DOWN);
    EXPECT_EQ(1, SelectedControlMode());
    EXPECT_TRUE(app.configurationChanged);
}

TEST_F(ConfigFile, TheQuestionGuardsNewOpenExitAndClose) {
    struct Case {
        int command; // 0: the close box
        int reply;
        bool commandRuns;
    };
    const Case cases[] = {
        {IDM_FILE_NEW, IDCANCEL, false},
        {IDM_FILE_NEW, IDNO, true},
        {IDM_FILE_NEW, IDYES, false},
        {IDM_FILE_OPEN, IDCANCEL, false},
        {IDM_FILE_OPEN, IDNO, true},
        {IDM_FILE_OPEN, IDYES, false},
        {IDM_FILE_EXIT, IDCANCEL, false},
        {IDM_FILE_EXIT, IDYES, false},
        {0, IDCANCEL, false},
        {0, IDYES, false},
        {IDM_FILE_EXIT, IDNO, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " reply " + std::to_string(c.reply));
        if (!IsWindow(app.mainWindow)) {
            CreateTestMainWindow();
            ShowTestMainWindow();
        }
        ShowSavedSettings(2, "1500", "1000");
        app.configurationChanged = true;
        // Yes leads to the Save dialog, cancelled here: the command is abandoned.
        Answer answers[] = {
            {kCaption, c.reply, nullptr, 0, kWait},
            {c.command == IDM_FILE_OPEN && c.reply == IDNO ? "Open File" : "Save File", IDCANCEL,
             nullptr, 0, kWait}};
        int count = c.reply == IDCANCEL || (c.reply == IDNO && c.command != IDM_FILE_OPEN) ? 1 : 2;
        ModalAnswerer answerer(answers, count);
        if (c.command)
            SendMessageA(app.mainWindow, WM_COMMAND, c.command, 0);
        else
            SendMessageA(app.mainWindow, WM_CLOSE, 0, 0);
        answerer.Finish();
        ASSERT_TRUE(answerer.seen[0].found);
        EXPECT_EQ(kQuestion, answerer.seen[0].text);
        EXPECT_EQ(LoadIconA(nullptr, IDI_QUESTION), answerer.seen[0].icon);
        EXPECT_TRUE(answerer.seen[0].buttons[IDYES] && answerer.seen[0].buttons[IDNO] &&
                    answerer.seen[0].buttons[IDCANCEL]);
        EXPECT_EQ(app.mainWindow, answerer.seen[0].owner);
        bool closing = c.command == 0 || c.command == IDM_FILE_EXIT;
        if (closing) {
            EXPECT_EQ(!c.commandRuns, IsWindow(app.mainWindow) != FALSE);
        } else if (c.command == IDM_FILE_NEW) {
            EXPECT_EQ(c.commandRuns ? 0 : 2, SelectedControlMode());
            EXPECT_EQ(!c.commandRuns, app.configurationChanged);
        } else {
            EXPECT_EQ(2, SelectedControlMode()); // the Open dialog was cancelled either way
        }
    }
}

} // namespace
