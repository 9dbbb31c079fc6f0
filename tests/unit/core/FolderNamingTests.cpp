// The folders of actions and iterations inside the results folder.
#include <gtest/gtest.h>

#include "core/FolderNaming.h"
#include "support/FolderServicesTestSupport.h"
#include "support/FakeHostApplication.h"

TEST(FolderNaming, JoinResultsPath)
{
    EXPECT_EQ(JoinResultsPath(W("C:\\Res"), W("")), W("C:\\Res"));
    EXPECT_EQ(JoinResultsPath(W("C:\\Res"), nullptr), W("C:\\Res"));
    EXPECT_EQ(JoinResultsPath(W("C:\\Res"), W("\\Icons\\1.ico")), W("C:\\Res\\Icons\\1.ico"));
    EXPECT_EQ(JoinResultsPath(W("C:\\Res"), W("Act1\\Row3")), W("C:\\Res\\Act1\\Row3"));
}

TEST(FolderNaming, ActionFoldersAreNumberedAndKeptByName)
{
    test::TempFolder results;
    test::FakeHostApplication host; // records any prompt instead of showing it
    WideString root = results.Wide();
    CFolderNaming naming;
    bool warn = true;
    CBstrString folder;

    naming.GetActionFolder(root.c_str(), W("Test1"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));
    naming.GetActionFolder(root.c_str(), W("Action1"), warn, folder);
    EXPECT_EQ(folder, W("Act1"));
    naming.GetActionFolder(root.c_str(), W("Test1"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));
    EXPECT_TRUE(test::IsFolder(root + W("\\Act0")));
    EXPECT_TRUE(test::IsFolder(root + W("\\Act1")));

    // Inside business component 2: its folder holds the action's.
    naming.SetBusinessComponentNumber(2);
    naming.GetActionFolder(root.c_str(), W("Component"), warn, folder);
    EXPECT_EQ(folder, W("BC2\\Act2"));
    EXPECT_TRUE(test::IsFolder(root + W("\\BC2\\Act2")));
    naming.GetActionFolder(root.c_str(), W("Action1"), warn, folder); // known: unchanged
    EXPECT_EQ(folder, W("Act1"));
    naming.GetActionFolder(root.c_str(), W("Another"), warn, folder);
    EXPECT_EQ(folder, W("BC2\\Act3"));

    // A new run starts again from Act0 in the folders already there; the
    // business component is not the run's to reset.
    naming.ResetRun();
    EXPECT_EQ(naming.BusinessComponentNumber(), 2);
    naming.SetBusinessComponentNumber(0);
    naming.GetActionFolder(root.c_str(), W("Component"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));
    // A report start restarts the numbers but keeps the names.
    naming.ResetActionFolderNumber();
    naming.GetActionFolder(root.c_str(), W("Component"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));
    naming.GetActionFolder(root.c_str(), W("Other"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));

    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(warn);
}

TEST(FolderNaming, AFolderThatCannotBeMadeIsStillNamed)
{
    test::TempFolder results;
    test::FakeHostApplication host;
    WideString missing = results.Wide() + W("\\missing");
    CFolderNaming naming;
    bool warn = true;
    CBstrString folder;
    naming.GetActionFolder(missing.c_str(), W("Test1"), warn, folder);
    EXPECT_EQ(folder, W("Act0"));
    EXPECT_FALSE(test::IsFolder(missing));
    EXPECT_TRUE(host.messages.empty());
}

TEST(FolderNaming, IterationFolders)
{
    RunScope scope;
    scope.folderName = W("Act1");
    scope.iteration = 3;
    CBstrString folder;
    GetIterationFolder(&scope, W("Row"), folder);
    EXPECT_EQ(folder, W("Act1\\Row3"));
    scope.iteration = 0;
    scope.folderName = W("BC2\\Act4");
    GetIterationFolder(&scope, W("Iter"), folder);
    EXPECT_EQ(folder, W("BC2\\Act4\\Iter0"));
    GetIterationFolder(nullptr, W("Row"), folder);
    EXPECT_EQ(folder, W("BC2\\Act4\\Iter0"));
}
