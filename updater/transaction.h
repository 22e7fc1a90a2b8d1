#pragma once

#include <string>
#include <vector>

// The file changes of one update run, made so that they go in whole or not at all.
//
// Staging writes each new file as a draft beside its target; nothing the program uses changes.
// Commit probes every target for exclusive write, then renames each old file aside and its draft
// into place. Every step is first recorded in a journal in the update folder, written through to
// disk, so that Rollback (or RecoverInterruptedInstall after a crash) can undo the steps in
// reverse order and put back the folders' times as well. Finish deletes the set-aside files.
//
// A commit point (a program the update starts) commits and finishes what came before it: a
// started program cannot be undone, so later rollbacks stop there.
class CCMInstallTransaction {
public:
    explicit CCMInstallTransaction(const std::wstring& updateFolder);
    ~CCMInstallTransaction();
    CCMInstallTransaction(const CCMInstallTransaction&) = delete;
    CCMInstallTransaction& operator=(const CCMInstallTransaction&) = delete;

    // Drafts source for target when it should replace what target holds at that point of the
    // run (an earlier package's draft included); false when the draft cannot be written.
    bool StageFile(const std::wstring& source, const std::wstring& target);
    // StageFile for every file of the source tree; false on the first failure.
    bool StageTree(const std::wstring& source, const std::wstring& target);
    // Drafts a copy of target itself, for the caller to change at draft before the commit.
    bool StageCopy(const std::wstring& target, std::wstring& draft);
    // Probes and commits every staged draft; false when a target is in use or a rename fails
    // (what was renamed stays renamed until Rollback).
    bool Commit();
    // Commit, then Finish what was committed: nothing before this point is ever undone.
    bool CommitPoint(int& reboot);
    // Undoes every step after the last commit point in reverse order; the journal goes.
    void Rollback();
    // Deletes the set-aside files and the journal. A file that cannot be deleted (a loaded
    // library) is deleted at the next start of Windows, which sets reboot when it is 0.
    void Finish(int& reboot);

    // Whether a commit point was passed: those changes stay whatever happens later.
    bool HasCommitted() const { return m_committed; }

    // The journal's file name inside the update folder.
    static const wchar_t kJournalName[];

private:
    struct Staged {
        std::wstring target, draft, aside;
    };
    bool Record(wchar_t kind, const std::wstring& first, const std::wstring& second = L"");
    bool OpenJournal();
    void CloseJournal(bool remove);
    bool MarkCommitted(int& reboot);
    bool MakeFolders(const std::wstring& folder);
    bool KeepFolderTimes(const std::wstring& folder);

    std::wstring m_journalPath;
    void* m_journal = nullptr;
    std::vector<Staged> m_staged;
    std::vector<std::wstring> m_timesKept;
    std::vector<std::wstring> m_asides;  // committed, to be deleted by Finish
    bool m_committed = false;
};

// Rolls back what the journal in updateFolder records of a run that never finished (a crash or
// a power cut) and removes the journal; true when there was none or the rollback completed.
bool RecoverInterruptedInstall(const std::wstring& updateFolder);
