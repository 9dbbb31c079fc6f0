// CResultsFolder: the results folder of a logger. It knows where the folder
// is, how a name inside it is joined to it, the name of every file and folder
// the logger writes there, and how its folders are created: one level at a
// time, with the Retry/Cancel prompt when the disk is full, short retries
// otherwise, and a warning about a folder path that is too long, given at most
// once per run.
//
// The names, relative to the folder:
//   Results.xml, GeneralInfo.ini        the report and the run's summary
//   Results.cvn, InstallNewReport.html  the stubs for an older viewer
//   Icons\<n>.ico                       the icon files of a run
//   Act<n>, BC<k>\Act<n>                a test's or action's folder (inside a
//                                       business component)
//   <action folder>\<prefix><n>         an iteration's folder
#pragma once

#include "pal/pal.h"
#include "text/BstrString.h"

class CResultsFolder {
public:
    CResultsFolder() = default;
    explicit CResultsFolder(const WCHAR* path) : m_path(path) {}

    // The folder (empty: none set, and the logger writes nothing anywhere).
    void SetPath(const CBstrString& path)
    {
        m_path = path;
        m_heldByOther = false;
    }
    const CBstrString& Path() const noexcept { return m_path; }
    bool IsSet() const noexcept { return !m_path.IsEmpty() && !m_heldByOther; }
    // While another run holds the folder (its Results.xml is another writer's,
    // or not a report) the folder counts as not set: the run writes nothing
    // there. Until the end of the run or a new path.
    void SetHeldByOther(bool held) noexcept { m_heldByOther = held; }

    // A name joined to the folder: an empty name gives the folder itself, a
    // name that begins with a backslash is appended as it is, any other
    // follows the folder and a backslash.
    CBstrString Join(const WCHAR* relative) const;
    // Whether a file or folder of that name exists.
    bool Contains(const WCHAR* relative) const;

    // ---- Names ----
    CBstrString ResultsFile() const { return Join(W("Results.xml")); }
    CBstrString GeneralInfoFile() const { return Join(W("GeneralInfo.ini")); }
    CBstrString StubReportFile() const { return Join(W("Results.cvn")); }
    CBstrString StubPageFile() const { return Join(W("InstallNewReport.html")); }
    // "Icons\<number>.ico".
    static CBstrString IconFileName(LONG number);
    // "BC<number>".
    static CBstrString ComponentFolderName(LONG componentNumber);
    // "Act<number>", inside the component's folder when componentNumber is
    // not 0.
    static CBstrString ActionFolderName(LONG componentNumber, LONG actionNumber);
    // "<action folder>\<prefix><iteration>".
    static CBstrString IterationFolderName(const WCHAR* actionFolder, const WCHAR* prefix, LONG iteration);

    // ---- Creation ----
    // The free bytes a test's, action's, component's or iteration's folder
    // needs: with less, creating one asks the user to make room.
    static constexpr ULONGLONG kRunFolderSpace = 1000;
    // The folder itself and its Icons folder (any free byte will do).
    void Create();
    // One folder level inside the folder (its parent must exist); an existing
    // folder is a success whatever its length and the free space. A failure
    // for want of space (less than `threshold` bytes free) asks the user to
    // make room; any other failure is tried again a few times. A path of 255
    // characters or more that cannot be created fails at once, with a warning
    // unless one was given since the last RearmLongPathWarning.
    bool CreateFolder(const WCHAR* relative, ULONGLONG threshold);
    // The next too long path is warned about again (at the end of each run).
    void RearmLongPathWarning() noexcept { m_warnTooLong = true; }
    bool LongPathWarningDue() const noexcept { return m_warnTooLong; }

private:
    CBstrString m_path;
    bool m_heldByOther = false;
    bool m_warnTooLong = true;
};
