#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Sprav.h"

namespace {

// A model whose refusals are collected instead of shown.
struct RecordingSprav : TSprav {
    std::vector<std::string> Messages;
    RecordingSprav() {
        OnMessage = [this](const std::string& text) { Messages.push_back(text); };
    }
};

// Builds a book of test files "T0", "T1"... with the given numbers of analogs named "T<i>.<j>".
void Fill(TSprav& sprav, const std::vector<int>& analogCounts) {
    for (std::size_t i = 0; i < analogCounts.size(); ++i) {
        const std::string path = std::string("T").append(std::to_string(i));
        sprav.AddTestFile(path);
        for (int j = 0; j < analogCounts[i]; ++j) {
            const std::string number = std::to_string(j);
            sprav.AddSinonimWithDesc(std::string(path).append(".").append(number),
                                     std::string("d").append(number));
        }
    }
}

std::vector<std::string> Names(const TSpravFile& file) {
    std::vector<std::string> names;
    for (const auto& s : file.Sinonims) {
        names.push_back(s->Name);
    }
    return names;
}

std::vector<std::string> Paths(const TSprav& sprav) {
    std::vector<std::string> paths;
    for (const auto& f : sprav.Files) {
        paths.push_back(f->Path);
    }
    return paths;
}

}  // namespace

TEST(SpravModel, RefusalsWithoutAHookDoNotCrash) {
    TSprav sprav;
    EXPECT_EQ(sprav.AddSinonim("X"), nullptr);
    sprav.AddTestFile("T");
    EXPECT_EQ(sprav.AddSinonim(" X"), nullptr);
}

// --- SetCurrentFile ---

TEST(SpravSetCurrentFile, NegativePositionClearsSelection) {
    for (int position : {-1, -7}) {
        TSprav sprav;
        Fill(sprav, {3});
        sprav.CurrentSinonimIndex = 2;
        sprav.SetCurrentFile(position);
        EXPECT_EQ(sprav.CurrentFile, nullptr);
        EXPECT_EQ(sprav.CurrentFileIndex(), -1);
        EXPECT_EQ(sprav.CurrentSinonimIndex, -1);
    }
}

TEST(SpravSetCurrentFile, PositionPastTheEndKeepsSelection) {
    TSprav sprav;
    Fill(sprav, {3, 1});
    sprav.SetCurrentFile(0);
    sprav.CurrentSinonimIndex = 2;
    for (int position : {2, 3, 1000}) {
        sprav.SetCurrentFile(position);
        EXPECT_EQ(sprav.CurrentFile, sprav.Files[0].get());
        EXPECT_EQ(sprav.CurrentFileIndex(), 0);
        EXPECT_EQ(sprav.CurrentSinonimIndex, 2);
    }
}

TEST(SpravSetCurrentFile, AnalogIndexFollowsTheRules) {
    struct Case {
        const char* what;
        std::vector<int> counts;
        int first;
        int second;
        int expectedSinonimIndex;
    };
    const Case cases[] = {
        {"other file with analogs starts at its first", {3, 1}, 0, 1, 0},
        {"same file again keeps the analog", {3, 1}, 0, 0, 2},
        {"other file without analogs keeps the stale index", {3, 0}, 0, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSprav sprav;
        Fill(sprav, c.counts);
        sprav.SetCurrentFile(c.first);
        sprav.CurrentSinonimIndex = 2;
        sprav.SetCurrentFile(c.second);
        EXPECT_EQ(sprav.CurrentFileIndex(), c.second);
        EXPECT_EQ(sprav.CurrentFile, sprav.Files[c.second].get());
        EXPECT_EQ(sprav.CurrentSinonimIndex, c.expectedSinonimIndex);
    }
}

// --- AddTestFile ---

TEST(SpravAddTestFile, AppendsInOrderAndMakesTheNewOneCurrent) {
    TSprav sprav;
    Fill(sprav, {3});
    sprav.SetCurrentFile(0);
    sprav.CurrentSinonimIndex = 2;
    sprav.AddTestFile("C:\\Tests\\T3.qor");
    sprav.AddTestFile("C:\\Tests\\T3.qor");  // duplicates are the caller's concern
    EXPECT_EQ(Paths(sprav), (std::vector<std::string>{"T0", "C:\\Tests\\T3.qor", "C:\\Tests\\T3.qor"}));
    EXPECT_EQ(sprav.CurrentFileIndex(), 2);
    EXPECT_EQ(sprav.CurrentFile, sprav.Files[2].get());
    EXPECT_TRUE(sprav.CurrentFile->Sinonims.empty());
    EXPECT_EQ(sprav.CurrentSinonimIndex, 2);  // a new test file has no analogs to select
}

TEST(SpravAddTestFile, KeepsThePathByteForByte) {
    TSprav sprav;
    const std::string path = " D:\\\xCE\xD3 x\\a.qor ";  // Windows-1251 "ОУ", blanks around
    sprav.AddTestFile(path);
    sprav.AddTestFile("");
    EXPECT_EQ(Paths(sprav), (std::vector<std::string>{path, ""}));
}

// --- DeleteTestFile ---

TEST(SpravDeleteTestFile, DeletingTheCurrentOneLeavesNoCurrentButKeepsIndexes) {
    TSprav sprav;
    Fill(sprav, {1, 3, 2});
    sprav.SetCurrentFile(1);
    sprav.CurrentSinonimIndex = 2;
    sprav.DeleteTestFile(1);
    EXPECT_EQ(Paths(sprav), (std::vector<std::string>{"T0", "T2"}));
    EXPECT_EQ(sprav.CurrentFile, nullptr);
    EXPECT_EQ(sprav.CurrentFileIndex(), 1);
    EXPECT_EQ(sprav.CurrentSinonimIndex, 2);
    sprav.SetCurrentFile(sprav.CurrentFileIndex());
    EXPECT_EQ(sprav.CurrentFile->Path, "T2");
}

TEST(SpravDeleteTestFile, DeletingTheLastLeavesAStaleIndex) {
    TSprav sprav;
    Fill(sprav, {0, 0});
    sprav.DeleteTestFile(1);
    EXPECT_EQ(sprav.CurrentFile, nullptr);
    EXPECT_EQ(sprav.CurrentFileIndex(), 1);
    // The refresh hands the stale position on; it selects nothing and leaves no current test file.
    sprav.SetCurrentFile(sprav.CurrentFileIndex());
    EXPECT_EQ(sprav.CurrentFile, nullptr);
}

TEST(SpravDeleteTestFile, DeletingAnotherKeepsTheCurrentEntry) {
    TSprav sprav;
    Fill(sprav, {0, 0, 0});
    sprav.SetCurrentFile(2);
    TSpravFile* current = sprav.CurrentFile;
    sprav.DeleteTestFile(0);
    EXPECT_EQ(sprav.CurrentFile, current);
    EXPECT_EQ(Paths(sprav), (std::vector<std::string>{"T1", "T2"}));
}

TEST(SpravDeleteTestFile, PositionOutsideChangesNothing) {
    for (int position : {-1, 2, 99}) {
        TSprav sprav;
        Fill(sprav, {1, 1});
        sprav.DeleteTestFile(position);
        EXPECT_EQ(Paths(sprav), (std::vector<std::string>{"T0", "T1"}));
        EXPECT_EQ(sprav.CurrentFile, sprav.Files[1].get());
    }
}

// --- GetSinonim ---

TEST(SpravGetSinonim, ReturnsTheEntryOrNone) {
    TSprav sprav;
    Fill(sprav, {2});
    const TSpravFile* file = sprav.Files[0].get();
    EXPECT_EQ(sprav.GetSinonim(file, 0)->Name, "T0.0");
    EXPECT_EQ(sprav.GetSinonim(file, 1)->Name, "T0.1");
    EXPECT_EQ(sprav.GetSinonim(file, 2), nullptr);
    EXPECT_EQ(sprav.GetSinonim(file, -1), nullptr);
    EXPECT_EQ(sprav.GetSinonim(nullptr, 0), nullptr);
}

// --- AddFileSinonim, AddSinonim, AddSinonimWithDesc ---

TEST(SpravAddSinonim, EmptyBookIsRefusedWithItsMessage) {
    RecordingSprav sprav;
    EXPECT_EQ(sprav.AddSinonim("K155LA3"), nullptr);
    EXPECT_EQ(sprav.AddSinonimWithDesc("K155LA3", "x.pdf"), nullptr);
    EXPECT_EQ(sprav.AddFileSinonim(nullptr, "K155LA3"), nullptr);
    EXPECT_EQ(sprav.Messages,
              std::vector<std::string>(3, "Список файлов пуст. Сначала необходимо добавить файл."));
    EXPECT_EQ(sprav.CurrentSinonimIndex, -1);
}

TEST(SpravAddSinonim, NoCurrentFileIsRefusedWithItsMessage) {
    RecordingSprav sprav;
    Fill(sprav, {1});
    sprav.SetCurrentFile(-1);
    EXPECT_EQ(sprav.AddSinonim("K155LA3"), nullptr);
    EXPECT_EQ(sprav.AddSinonimWithDesc("K155LA3", "x.pdf"), nullptr);
    EXPECT_EQ(sprav.Messages, std::vector<std::string>(2, "Выберите файл."));
    EXPECT_EQ(Names(*sprav.Files[0]), std::vector<std::string>{"T0.0"});
}

TEST(SpravAddSinonim, AppendsDuplicatesInOrderAndSelectsTheNewest) {
    RecordingSprav sprav;
    Fill(sprav, {0, 0});
    sprav.SetCurrentFile(0);
    TSpravSinonim* a = sprav.AddSinonimWithDesc("SN7400", "<Desc>:\\a.pdf");
    EXPECT_EQ(sprav.CurrentSinonimIndex, 0);
    TSpravSinonim* b = sprav.AddSinonim("SN7400");
    EXPECT_EQ(sprav.CurrentSinonimIndex, 1);
    // Adding to a test file other than the current one still moves the analog index.
    TSpravSinonim* c = sprav.AddFileSinonim(sprav.Files[1].get(), "\xCA\x31\x35\x35\xCB\xC0\x33");
    EXPECT_EQ(sprav.CurrentSinonimIndex, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"SN7400", "SN7400"}));
    EXPECT_EQ(sprav.Files[0]->Sinonims[0].get(), a);
    EXPECT_EQ(sprav.Files[0]->Sinonims[1].get(), b);
    EXPECT_EQ(a->DescPath, "<Desc>:\\a.pdf");
    EXPECT_EQ(b->DescPath, "");
    EXPECT_EQ(c->DescPath, "");
    EXPECT_EQ(sprav.Files[1]->Sinonims[0]->Name, "\xCA\x31\x35\x35\xCB\xC0\x33");
    EXPECT_EQ(sprav.CurrentFile, sprav.Files[0].get());  // adding never changes the current test file
    EXPECT_TRUE(sprav.Messages.empty());
}

// Names that the book file could not give back are refused by every way in; the rest are kept as typed.
TEST(SpravAddSinonim, NameRuleIsAppliedByEveryAddOperation) {
    struct Case {
        std::string name;
        bool storable;
    };
    const Case cases[] = {
        {"", true},           {"K155 LA3", true},
        {"K155LA3 ", true},   {"K155LA3\t", false},
        {"\tK155LA3", false}, {"\xCA\xD0\x31\x35\x33\x33\xCB\xC0\x33", true},
        {" K155LA3", false},  {" ", false},
        {"K155|LA3", false},  {"|", false},
        {"K155LA3|", false},  {"K155\r\nLA3", false},
        {"K155\nLA3", false}, {"K155\rLA3", false},
        {"K155LA3\n", false}, {"K155\x1bLA3", false},
        {"K155\x01", false},  {std::string(1, '\0'), false},
    };
    const std::string refusal =
        "Название микросхемы не может начинаться с пробела, содержать символ «|» или управляющие символы "
        "(перевод строки, табуляцию и т. п.).";
    for (const Case& c : cases) {
        SCOPED_TRACE("name \"" + c.name + "\"");
        EXPECT_EQ(IsStorableSinonimName(c.name), c.storable);
        for (int way = 0; way < 3; ++way) {
            RecordingSprav sprav;
            Fill(sprav, {2});
            sprav.CurrentSinonimIndex = 0;
            TSpravSinonim* added = way == 0   ? sprav.AddSinonim(c.name)
                                   : way == 1 ? sprav.AddSinonimWithDesc(c.name, "d")
                                              : sprav.AddFileSinonim(sprav.CurrentFile, c.name);
            if (c.storable) {
                ASSERT_NE(added, nullptr);
                EXPECT_EQ(added->Name, c.name);
                EXPECT_EQ(sprav.CurrentSinonimIndex, 2);
                EXPECT_TRUE(sprav.Messages.empty());
            } else {
                EXPECT_EQ(added, nullptr);
                EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"T0.0", "T0.1"}));
                EXPECT_EQ(sprav.CurrentSinonimIndex, 0);
                EXPECT_EQ(sprav.Messages, std::vector<std::string>{refusal});
            }
        }
    }
}

// --- ChangeSinonim ---

TEST(SpravChangeSinonim, ReplacesNameAndDescriptionOnly) {
    RecordingSprav sprav;
    Fill(sprav, {3, 1});
    sprav.SetCurrentFile(1);
    TSpravFile* file = sprav.Files[0].get();
    TSpravSinonim* before = file->Sinonims[1].get();
    EXPECT_EQ(sprav.ChangeSinonim(file, 1, "KR1533LA3 ", ""), 1);
    EXPECT_EQ(file->Sinonims[1].get(), before);  // changed in place
    EXPECT_EQ(before->Name, "KR1533LA3 ");
    EXPECT_EQ(before->DescPath, "");
    EXPECT_EQ(Names(*file), (std::vector<std::string>{"T0.0", "KR1533LA3 ", "T0.2"}));
    EXPECT_EQ(sprav.CurrentFile, sprav.Files[1].get());
    EXPECT_EQ(sprav.CurrentSinonimIndex, 0);
    EXPECT_TRUE(sprav.Messages.empty());
}

TEST(SpravChangeSinonim, PositionsWithoutAnAnalogGiveMinusOne) {
    RecordingSprav sprav;
    Fill(sprav, {2, 0});
    struct Case {
        TSpravFile* file;
        int position;
    };
    const Case cases[] = {
        {nullptr, 0},
        {sprav.Files[1].get(), 0},
        {sprav.Files[0].get(), 2},
        {sprav.Files[0].get(), -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sprav.ChangeSinonim(c.file, c.position, "X", "Y"), -1);
    }
    EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"T0.0", "T0.1"}));
    EXPECT_EQ(sprav.Files[0]->Sinonims[0]->DescPath, "d0");
    EXPECT_TRUE(sprav.Files[1]->Sinonims.empty());
    EXPECT_TRUE(sprav.Messages.empty());
}

TEST(SpravChangeSinonim, UnstorableNameIsRefusedAndChangesNothing) {
    for (const std::string name : {" X", "A|B", "A\nB", "A\rB"}) {
        RecordingSprav sprav;
        Fill(sprav, {2});
        EXPECT_EQ(sprav.ChangeSinonim(sprav.Files[0].get(), 1, name, "new.pdf"), -1);
        EXPECT_EQ(sprav.Files[0]->Sinonims[1]->Name, "T0.1");
        EXPECT_EQ(sprav.Files[0]->Sinonims[1]->DescPath, "d1");
        EXPECT_EQ(sprav.Messages,
                  std::vector<std::string>{
                      "Название микросхемы не может начинаться с пробела, содержать "
                      "символ «|» или управляющие символы (перевод строки, табуляцию и т. п.)."});
    }
}

// --- DeleteSinonim ---

TEST(SpravDeleteSinonim, RemovesFromTheCurrentFileAndKeepsTheIndex) {
    TSprav sprav;
    Fill(sprav, {3, 2});
    sprav.SetCurrentFile(0);
    sprav.CurrentSinonimIndex = 2;
    sprav.DeleteSinonim(2);
    EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"T0.0", "T0.1"}));
    EXPECT_EQ(sprav.CurrentSinonimIndex, 2);  // stale now; readers check it against the count
    EXPECT_EQ(sprav.GetSinonim(sprav.CurrentFile, sprav.CurrentSinonimIndex), nullptr);
    sprav.DeleteSinonim(0);
    EXPECT_EQ(Names(*sprav.Files[0]), std::vector<std::string>{"T0.1"});
    EXPECT_EQ(Names(*sprav.Files[1]), (std::vector<std::string>{"T1.0", "T1.1"}));
}

TEST(SpravDeleteSinonim, OutsideTheListOrWithoutCurrentFileChangesNothing) {
    TSprav sprav;
    Fill(sprav, {2});
    for (int position : {-1, 2, 50}) {
        sprav.DeleteSinonim(position);
    }
    sprav.SetCurrentFile(-1);
    sprav.DeleteSinonim(0);
    EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"T0.0", "T0.1"}));
}

// --- ClearAll ---

TEST(SpravClearAll, EmptiesTheBookAndTheSelection) {
    TSprav sprav;
    Fill(sprav, {3, 1});
    sprav.CurrentSinonimIndex = 0;
    sprav.ClearAll();
    EXPECT_TRUE(sprav.Files.empty());
    EXPECT_EQ(sprav.CurrentFile, nullptr);
    EXPECT_EQ(sprav.CurrentFileIndex(), -1);
    EXPECT_EQ(sprav.CurrentSinonimIndex, -1);
    sprav.AddTestFile("again");
    EXPECT_EQ(sprav.CurrentFileIndex(), 0);
}

// What a view of the book hears, in order: enough to follow every change row by row.
struct RecordingListener : TSpravListener {
    std::vector<std::string> Heard;
    void FilesAboutToBeInserted(int first, int last) override { Say("files+", first, last); }
    void FilesAboutToBeRemoved(int first, int last) override { Say("files-", first, last); }
    void SinonimsAboutToBeInserted(const TSpravFile& file, int first, int last) override {
        Say(file.Path + " names+", first, last);
    }
    void SinonimsAboutToBeRemoved(const TSpravFile& file, int first, int last) override {
        Say(file.Path + " names-", first, last);
    }
    void SinonimChanged(const TSpravFile& file, int position) override {
        Say(file.Path + " name", position, position);
    }
    void BookAboutToBeReset() override { Heard.push_back("reset"); }
    void CurrentFileChanged() override { Heard.push_back("current"); }
    void Say(const std::string& what, int first, int last) {
        Heard.push_back(what + " " + std::to_string(first) + ".." + std::to_string(last));
    }
};

TEST(SpravListener, HearsEveryChangeWithItsRows) {
    TSprav sprav;
    Fill(sprav, {2, 0});
    RecordingListener listener;
    sprav.AddListener(&listener);
    sprav.SetCurrentFile(0);
    sprav.AddSinonim("X");
    sprav.ChangeSinonim(sprav.CurrentFile, 1, "Y", "");
    sprav.DeleteSinonim(0);
    sprav.AddTestFile("T2");
    sprav.DeleteTestFile(2);  // the current one: none is current after it
    sprav.SetCurrentFile(1);
    sprav.SetCurrentFile(1);  // the same again: nothing to hear
    sprav.ClearAll();
    sprav.RemoveListener(&listener);
    sprav.AddTestFile("unheard");
    EXPECT_EQ(listener.Heard, (std::vector<std::string>{"current", "T0 names+ 2..2", "T0 name 1..1",
                                                        "T0 names- 0..0", "files+ 2..2", "current",
                                                        "files- 2..2", "current", "current", "reset"}));
}

TEST(SpravListener, RemovingManyTellsEachRunOnceAndGivesTheNamesBackInOrder) {
    TSprav sprav;
    Fill(sprav, {8});
    RecordingListener listener;
    sprav.AddListener(&listener);
    const auto removed = sprav.RemoveSinonims(*sprav.Files[0], {0, 2, 3, 4, 7});
    std::vector<std::string> names;
    for (const auto& sinonim : removed) {
        names.push_back(sinonim->Name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"T0.0", "T0.2", "T0.3", "T0.4", "T0.7"}));
    EXPECT_EQ(Names(*sprav.Files[0]), (std::vector<std::string>{"T0.1", "T0.5", "T0.6"}));
    // The last run first, so that the positions each names are still those of the list it is told about.
    EXPECT_EQ(listener.Heard,
              (std::vector<std::string>{"T0 names- 7..7", "T0 names- 2..4", "T0 names- 0..0"}));
    sprav.RemoveListener(&listener);
}

TEST(SpravListener, ALoadedBookIsOneReset) {
    TSprav sprav;
    RecordingListener listener;
    sprav.AddListener(&listener);
    sprav.Rebuild([](TSprav& book) { Fill(book, {3, 3}); });
    EXPECT_EQ(listener.Heard, std::vector<std::string>{"reset"});
    EXPECT_EQ(sprav.LineCount(), 8u);
    sprav.RemoveListener(&listener);
}
