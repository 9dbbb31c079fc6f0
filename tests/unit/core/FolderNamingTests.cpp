// The folders of actions and iterations inside the results folder.
#include <gtest/gtest.h>

#include "core/FolderNaming.h"
#include "fs/ResultsFolder.h"
#include "support/FolderServicesTestSupport.h"
#include "support/FakeHostApplication.h"

TEST(FolderNaming, NamesAreJoinedToTheResultsFolder)
{
    CResultsFolder results(W("C:\\Res"));
    EXPECT_EQ(results.Join(W("")), W("C:\\Res"));
    EXPECT_EQ(results.Join(nullptr), W("C:\\Res"));
    EXPECT_EQ(results.Join(W("\\Icons\\1.ico")), W("C:\\Res\\Icons\\1.ico"));
    EXPECT_EQ(results.Join(W("Act1\\Row3")), W("C:\\Res\\Act1\\Row3"));
    EXPECT_EQ(CResultsFolder().Join(W("Results.xml")), W("\\Results.xml"));

    EXPECT_EQ(results.ResultsFile(), W("C:\\Res\\Results.xml"));
    EXPECT_EQ(results.GeneralInfoFile(), W("C:\\Res\\GeneralInfo.ini"));
    EXPECT_EQ(results.StubReportFile(), W("C:\\Res\\Results.cvn"));
    EXPECT_EQ(results.StubPageFile(), W("C:\\Res\\InstallNewReport.html"));
    EXPECT_EQ(CResultsFolder::IconFileName(12), W("Icons\\12.ico"));
    EXPECT_EQ(CResultsFolder::ActionFolderName(0, 3), W("Act3"));
    EXPECT_EQ(CResultsFolder::ActionFolderName(2, 3), W("BC2\\Act3"));
}

TEST(FolderNaming, ActionFoldersAreNumberedAndKeptByName)
{
    test::TempFolder results;
    test::FakeHostApplication host; // records any prompt instead of showing it
    WideString root = results.Wide();
    CResultsFolder folderOfResults(root.c_str());
    CFolderNaming naming;
    CBstrString folder;

    naming.GetActionFolder(folderOfResults, W("Test1"), folder);
    EXPECT_EQ(folder, W("Act0"));
    naming.GetActionFolder(folderOfResults, W("Action1"), folder);
    EXPECT_EQ(folder, W("Act1"));
    naming.GetActionFolder(folderOfResults, W("Test1"), folder);
    EXPECT_EQ(folder, W("Act0"));
    EXPECT_TRUE(test::IsFolder(root + W("\\Act0")));
    EXPECT_TRUE(test::IsFolder(root + W("\\Act1")));

    // Inside business component 2: its folder holds the action's.
    naming.SetBusinessComponentNumber(2);
    naming.GetActionFolder(folderOfResults, W("Component"), folder);
    EXPECT_EQ(folder, W("BC2\\Act2"));
    EXPECT_TRUE(test::IsFolder(root + W("\\BC2\\Act2")));
    naming.GetActionFolder(folderOfResults, W("Action1"), folder); // known: unchanged
    EXPECT_EQ(folder, W("Act1"));
    naming.GetActionFolder(folderOfResults, W("Another"), folder);
    EXPECT_EQ(folder, W("BC2\\Act3"));

    // A new run starts again from Act0 in the folders already there; the
    // business component is not the run's to reset.
    naming.ResetRun();
    EXPECT_EQ(naming.BusinessComponentNumber(), 2);
    naming.SetBusinessComponentNumber(0);
    naming.GetActionFolder(folderOfResults, W("Component"), folder);
    EXPECT_EQ(folder, W("Act0"));
    // A report start restarts the numbers but keeps the names.
    naming.ResetActionFolderNumber();
    naming.GetActionFolder(folderOfResults, W("Component"), folder);
    EXPECT_EQ(folder, W("Act0"));
    naming.GetActionFolder(folderOfResults, W("Other"), folder);
    EXPECT_EQ(folder, W("Act0"));

    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(folderOfResults.LongPathWarningDue());
}

TEST(FolderNaming, AFolderThatCannotBeMadeIsStillNamed)
{
    test::TempFolder results;
    test::FakeHostApplication host;
    WideString missing = results.Wide() + W("\\missing");
    CResultsFolder missingResults(missing.c_str());
    CFolderNaming naming;
    CBstrString folder;
    naming.GetActionFolder(missingResults, W("Test1"), folder);
    EXPECT_EQ(folder, W("Act0"));
    EXPECT_FALSE(test::IsFolder(missing));
    EXPECT_TRUE(host.messages.empty());
}

TEST(FolderNaming, IterationFolders)
{
    EXPECT_EQ(CResultsFolder::IterationFolderName(W("Act1"), W("Row"), 3), W("Act1\\Row3"));
    EXPECT_EQ(CResultsFolder::IterationFolderName(W("BC2\\Act4"), W("Iter"), 0), W("BC2\\Act4\\Iter0"));
}
