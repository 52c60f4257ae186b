#include "fakeplatform.h"
#include "faults.h"
#include "report/tempreports.h"
#include "save/reportsave.h"
#include "testfiles.h"

#include <QDir>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

using platform::Answer;

const QByteArray kOldReport = "an old report that must survive\r\n";

// A program folder holding both temporary files, a folder to save into, and the save that the
// window's button drives.
class Save : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(saveFolder);
        testfiles::write(reportTemp(), reportBytes);
        testfiles::write(csvTemp(), csvBytes);
    }

public:
    QString reportTemp() const { return report::reportTempPath(program); }
    QString csvTemp() const { return report::csvTempPath(program); }
    QString target(const QString& name) const { return saveFolder + QLatin1Char('/') + name; }
    save::AfterClick click(std::vector<io::FileProblem> tempProblems = {}) {
        return save::saveReports(fake, {program, std::move(tempProblems)});
    }
    QStringList shownTitles() const {
        QStringList titles;
        for (const auto& box : fake.shownMessages())
            titles << box.title;
        return titles;
    }
    // Both temporary files are still there, unchanged, so that another click can save them.
    void expectTempFilesKept() {
        EXPECT_EQ(testfiles::read(reportTemp()), reportBytes);
        EXPECT_EQ(testfiles::read(csvTemp()), csvBytes);
    }
    void expectSavedAs(const QString& name) {
        EXPECT_EQ(testfiles::read(target(name + ".txt")), reportBytes) << name.toStdString();
        EXPECT_EQ(testfiles::read(target(name + ".csv")), csvBytes) << name.toStdString();
    }

    QTemporaryDir root;
    QString program = root.filePath(QStringLiteral("program"));
    QString saveFolder = root.filePath(QStringLiteral("reports"));
    // Larger than a disk that is full after 100 bytes.
    const QByteArray reportBytes = QByteArray("      a.mv  -  08:00  -  0:1:0\r\n").repeated(20);
    const QByteArray csvBytes = QByteArray("Mon 2 Nov 2026,a.mv,08:00,0,1,0\r\n").repeated(20);
    FakePlatform fake;
};

// ---- What one click does, row by row ----

struct SaveRow {
    const char* name;
    std::vector<const char*> existing;             // files in the save folder before the click
    std::vector<std::optional<const char*>> names; // what each Save As dialog returns
    std::vector<Answer> answers;                   // answers to the message boxes, in order
    QStringList titles;                            // the message boxes expected, in order
    bool closes;
    const char* savedAs; // the name whose .txt and .csv hold the reports, if any
};

class SaveOutcome : public Save, public ::testing::WithParamInterface<SaveRow> {};

TEST_P(SaveOutcome, FollowsTheAnswers) {
    const SaveRow& row = GetParam();
    for (const char* name : row.existing)
        testfiles::write(target(name), kOldReport);
    for (const auto& name : row.names)
        fake.answerNextSaveDialog(name ? std::optional(target(*name)) : std::nullopt);
    for (Answer answer : row.answers)
        fake.answerNextMessage(answer);

    const save::AfterClick after = click();

    EXPECT_EQ(shownTitles(), row.titles);
    for (const auto& box : fake.shownMessages())
        EXPECT_EQ(box.icon, platform::MessageIcon::None);
    ASSERT_EQ(fake.shownDialogs().size(), row.names.size());
    for (const auto& dialog : fake.shownDialogs()) {
        EXPECT_EQ(dialog.title, QStringLiteral("Select a name and location for your report"));
        EXPECT_EQ(dialog.folder, program);
        EXPECT_EQ(dialog.proposedName, QStringLiteral("DOVudize"));
    }
    EXPECT_EQ(after, row.closes ? save::AfterClick::CloseWindow : save::AfterClick::StayOpen);
    if (row.savedAs) {
        expectSavedAs(QLatin1String(row.savedAs));
        EXPECT_FALSE(QFile::exists(reportTemp()));
        EXPECT_FALSE(QFile::exists(csvTemp()));
    } else {
        expectTempFilesKept(); // what is left goes when the window closes
    }
    // Files that were there and are not a saved report keep their contents.
    for (const char* name : row.existing) {
        const bool replaced =
            row.savedAs && (QLatin1String(name) == QLatin1String(row.savedAs) + ".txt" ||
                            QLatin1String(name) == QLatin1String(row.savedAs) + ".csv");
        if (!replaced) {
            EXPECT_EQ(testfiles::read(target(name)), kOldReport) << name;
        }
    }
}

const QString kTryAgainName = QStringLiteral("Try Again");
const QString kFileExists = QStringLiteral("File exists!");
const QString kAlreadyExists = QStringLiteral("File already exists");
const QString kTryAgainSave = QStringLiteral("Try again");

INSTANTIATE_TEST_SUITE_P(
    Rows, SaveOutcome,
    ::testing::Values(
        SaveRow{"Cancelled", {}, {std::nullopt}, {Answer::Ok}, {kTryAgainName}, true, nullptr},
        SaveRow{"FreeName", {}, {"weekly"}, {}, {}, true, "weekly"},
        SaveRow{"ExactNameExistsYes",
                {"weekly"},
                {"weekly"},
                {Answer::Yes},
                {kFileExists},
                true,
                "weekly"},
        SaveRow{"ExactNameExistsNoThenCancel",
                {"weekly"},
                {"weekly", std::nullopt},
                {Answer::No, Answer::Ok},
                {kFileExists, kTryAgainName},
                true,
                nullptr},
        SaveRow{"ExactNameExistsNoThenAnother",
                {"weekly"},
                {"weekly", "daily"},
                {Answer::No},
                {kFileExists},
                true,
                "daily"},
        SaveRow{"OnlyCsvExistsYes",
                {"weekly.csv"},
                {"weekly"},
                {Answer::Yes},
                {kAlreadyExists},
                true,
                "weekly"},
        SaveRow{"OnlyTextExistsYes",
                {"weekly.txt"},
                {"weekly"},
                {Answer::Yes},
                {kAlreadyExists},
                true,
                "weekly"},
        SaveRow{"BothExistYes",
                {"weekly.txt", "weekly.csv"},
                {"weekly"},
                {Answer::Yes},
                {kAlreadyExists},
                true,
                "weekly"},
        SaveRow{"BothExistNo",
                {"weekly.txt", "weekly.csv"},
                {"weekly"},
                {Answer::No, Answer::Ok},
                {kAlreadyExists, kTryAgainSave},
                false,
                nullptr},
        SaveRow{"NameWithExtensionGetsAnother",
                {"weekly.txt"},
                {"weekly.txt"},
                {Answer::Yes},
                {kFileExists},
                true,
                "weekly.txt"},
        SaveRow{"HiddenFileOfTheNameCountsAsAbsent",
                {".weekly"},
                {".weekly"},
                {},
                {},
                true,
                ".weekly"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Save, CancelledDialogSavesNothing) {
    fake.answerNextSaveDialog(std::nullopt);
    fake.answerNextMessage(Answer::Ok);
    EXPECT_EQ(click(), save::AfterClick::CloseWindow);
    EXPECT_TRUE(QDir(saveFolder).isEmpty());
    const auto& box = fake.shownMessages().at(0);
    EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(box.text, QStringLiteral("To continue you must select a name for your report "
                                       "...please try again"));
}

TEST_F(Save, QuestionsAndNoticesHaveTheirOwnButtonsAndTexts) {
    testfiles::write(target("weekly"), kOldReport);
    testfiles::write(target("weekly.txt"), kOldReport);
    fake.answerNextSaveDialog(target("weekly"));
    fake.answerNextSaveDialog(std::nullopt);
    fake.answerNextMessage(Answer::No); // "File exists!": a new pass
    fake.answerNextMessage(Answer::Ok); // "Try Again"
    EXPECT_EQ(click(), save::AfterClick::CloseWindow);

    const auto& question = fake.shownMessages().at(0);
    EXPECT_EQ(question.buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(question.defaultButton, Answer::Yes);
    EXPECT_EQ(question.text,
              QStringLiteral("File name already exist...do you still want to use it"));
}

TEST_F(Save, DeclinedOverwriteThenAnotherClickSavesUnderTheNewName) {
    testfiles::write(target("weekly.csv"), kOldReport);
    fake.answerNextSaveDialog(target("weekly"));
    fake.answerNextMessage(Answer::No);
    fake.answerNextMessage(Answer::Ok);
    ASSERT_EQ(click(), save::AfterClick::StayOpen);
    const auto& question = fake.shownMessages().at(0);
    EXPECT_EQ(question.text,
              QStringLiteral("A report already exists with that name...OK to overwrite it"));
    EXPECT_EQ(question.defaultButton, Answer::Yes);
    EXPECT_EQ(fake.shownMessages().at(1).text, QStringLiteral("Click the button to try again"));

    fake.answerNextSaveDialog(target("monthly"));
    EXPECT_EQ(click(), save::AfterClick::CloseWindow);
    expectSavedAs(QStringLiteral("monthly"));
    EXPECT_EQ(testfiles::read(target("weekly.csv")), kOldReport);
}

TEST_F(Save, ToAnotherFileSystemMovesTheFilesThere) {
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isDir() || QStorageInfo(shm).device() == QStorageInfo(program).device())
        GTEST_SKIP() << "no second file system at /dev/shm";
    QTemporaryDir elsewhere(shm + QStringLiteral("/runtally-test-XXXXXX"));
    fake.answerNextSaveDialog(elsewhere.filePath(QStringLiteral("weekly")));
    click();
    EXPECT_EQ(testfiles::read(elsewhere.filePath(QStringLiteral("weekly.txt"))), reportBytes);
    EXPECT_EQ(testfiles::read(elsewhere.filePath(QStringLiteral("weekly.csv"))), csvBytes);
    EXPECT_FALSE(QFile::exists(reportTemp()));
    EXPECT_FALSE(QFile::exists(csvTemp()));
}

// ---- Failures: the user is told which file and why, and nothing is lost ----

struct FaultRow {
    const char* name;
    Arranged (*arrange)(Save& test);
    const char* chosenName;
    std::vector<Answer> answers;
    const char* namedFile; // a path that the error message must name, relative to the save folder
    const char* reason = nullptr; // the system's words the message must give, if any
};

class SaveFault : public Save, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(SaveFault, IsReportedAndLosesNothing) {
    const FaultRow& row = GetParam();
    testfiles::write(target("weekly.csv"), kOldReport);
    testfiles::write(target("keep.txt"), kOldReport);
    Arranged fault = row.arrange(*this);
    if (!fault.cannot.isEmpty())
        GTEST_SKIP() << "cannot make the fault: " << fault.cannot.toStdString();
    fake.answerNextSaveDialog(row.chosenName[0] == '/' ? QString::fromLatin1(row.chosenName)
                                                       : target(row.chosenName));
    for (Answer answer : row.answers)
        fake.answerNextMessage(answer);
    fake.answerNextMessage(Answer::Ok); // the error

    const save::AfterClick after = click();
    fault.hold.reset();

    ASSERT_FALSE(fake.shownMessages().empty());
    const auto& error = fake.shownMessages().back();
    EXPECT_EQ(error.icon, platform::MessageIcon::Error);
    const QString named =
        row.namedFile[0] == '/' ? QString::fromLatin1(row.namedFile) : target(row.namedFile);
    EXPECT_TRUE(error.text.contains(QDir::toNativeSeparators(named))) << error.text.toStdString();
    if (row.reason) {
        EXPECT_TRUE(error.text.contains(QLatin1String(row.reason))) << error.text.toStdString();
    }
    EXPECT_EQ(after, save::AfterClick::StayOpen);
    EXPECT_EQ(testfiles::read(target("weekly.csv")), kOldReport);
    EXPECT_EQ(testfiles::read(target("keep.txt")), kOldReport);
    if (QFile::exists(reportTemp())) expectTempFilesKept();
    EXPECT_EQ(testfiles::read(csvTemp()), csvBytes);
    // No half-written copy is left beside the targets.
    const QStringList left = QDir(saveFolder).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : left)
        EXPECT_FALSE(name.contains(QRegularExpression("\\.(csv|txt)\\.")));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SaveFault,
    ::testing::Values(
        FaultRow{"FolderWhereTheTextReportGoes",
                 [](Save& test) {
                     QDir().mkpath(test.target("weekly.txt"));
                     return Arranged{};
                 },
                 "weekly",
                 {Answer::Yes},
                 "weekly.txt"},
        FaultRow{"HiddenFileWhereTheTextReportGoes",
                 [](Save& test) {
                     testfiles::write(test.target(".keep.txt"), kOldReport);
                     testfiles::write(test.target(".keep.csv"), kOldReport);
                     return Arranged{};
                 },
                 ".keep",
                 {},
                 ".keep.csv"},
        FaultRow{"TempFileRemovedWhileTheWindowWasOpen",
                 [](Save& test) {
                     QFile::remove(test.reportTemp());
                     return Arranged{};
                 },
                 "weekly",
                 {Answer::Yes},
                 "/report.tmp"},
        FaultRow{"TargetFolderMissing",
                 [](Save&) { return Arranged{}; },
                 "/nonexistent-runtally-folder/weekly",
                 {},
                 "/nonexistent-runtally-folder/weekly.csv"},
        FaultRow{"TargetFolderReadOnly",
                 [](Save& test) { return makeFault<ReadOnlyFolder>(test.target("")); },
                 "fresh",
                 {},
                 "fresh.csv"},
        FaultRow{"OldReportCannotBeReplaced",
                 [](Save& test) { return makeFault<ImmutableFile>(test.target("weekly.csv")); },
                 "weekly",
                 {Answer::Yes},
                 "weekly.csv"},
        FaultRow{"DiskFullWhileReplacing",
                 [](Save&) { return makeFault<FileSizeLimit>(100); },
                 "weekly",
                 {Answer::Yes},
                 "weekly.csv",
                 "File too large"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Save, IncompleteTempFilesAreNotSaved) {
    fake.answerNextMessage(Answer::Ok);
    EXPECT_EQ(click({{reportTemp(), QStringLiteral("No space left on device")}}),
              save::AfterClick::StayOpen);
    EXPECT_TRUE(fake.shownDialogs().empty());
    const auto& error = fake.shownMessages().at(0);
    EXPECT_EQ(error.icon, platform::MessageIcon::Error);
    EXPECT_TRUE(error.text.contains(QStringLiteral("could not be prepared")));
    EXPECT_TRUE(error.text.contains(QDir::toNativeSeparators(reportTemp())));
}

} // namespace
