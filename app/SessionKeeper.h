// Keeps the open objects between runs: each running Quindle writes its own
// session into the user's state folder, soon after every change and when it
// ends, and a start brings back the session that ended last.
#pragma once

#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class CHollastrinDlg;
class QMenu;
struct KeptSession;

// The folder of the kept sessions: $XDG_STATE_HOME/quindle, or
// ~/.local/state/quindle.
QString SessionFolder();

// Writes session files on a thread of its own, so that writing never holds
// up the windows: only the newest content waiting is written.
class CSessionWriter
{
public:
    CSessionWriter();
    ~CSessionWriter();

    // Writes bytes to path atomically, readable by the user alone; empty
    // bytes remove the file instead (a session without objects).
    void Post(const QString& path, std::string bytes);
    // Returns once everything posted is written.
    void Wait();
    // False once a write has failed since the last success (told once on
    // standard error).
    bool LastWriteSucceeded() const;

    // The same, at once on the calling thread; true on success.
    static bool WriteNow(const QString& path, const std::string& bytes);

private:
    void Run();

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::optional<std::pair<QString, std::string>> m_pending;
    bool m_bBusy = false;
    bool m_bStop = false;
    bool m_bFailed = false;
    std::thread m_thread;
};

// One running program's session, and the ended ones it can bring back.
class CSessionKeeper : public QObject
{
    Q_OBJECT

public:
    // What a start does with the kept sessions.
    enum class EStart
    {
        // Brings back the session that ended last.
        Restore,
        // Starts empty; the ended sessions stay kept.
        New,
    };

    explicit CSessionKeeper(CHollastrinDlg& dlg, QObject* pParent = nullptr);
    ~CSessionKeeper() override;

    // Takes the session for this run and, unless told otherwise or keeping
    // is off, opens the ended session's objects in the dialog. Problems
    // with the kept files are told on standard error, one line each, and
    // never stop the program.
    void Start(EStart start);
    // Writes the session as it stands now (the program is ending, or the
    // desktop session asks), waiting until it is written.
    void Flush();

    // Whether sessions are kept at all (a setting that lasts).
    static bool KeepingEnabled();
    void SetKeepingEnabled(bool bEnabled);

    // The ended sessions that no running program holds, newest first.
    struct EndedSession
    {
        QString path;
        QDateTime time;
        int nObjects = -1; // -1: unreadable
    };
    QList<EndedSession> EndedSessions() const;
    // Keeps this run's objects in their session and opens the ended one in
    // their place; false (nothing changed) when another program took it.
    bool SwitchTo(const QString& path);
    // Deletes an ended session.
    static bool Discard(const QString& path);

    // The file this run writes, empty when nothing is kept.
    QString SessionPath() const { return m_strPath; }

private:
    void AddMenuEntries(QMenu* pMenu);
    void OnChanged();
    void WriteSoon();
    void TakeNewSession();
    // Reads a kept session file; an unreadable one is moved aside and told
    // of, and what could be read of it comes back.
    static KeptSession ReadKept(const QString& path);
    // Reads a session file whole; false with the reason otherwise.
    static bool ReadFile(const QString& path, KeptSession& session, std::string& strError);
    // The ended sessions' files that no running program holds, newest first.
    QStringList EndedSessionPaths() const;
    // This run keeps nothing from now on; its file stays as it is.
    void Release();
    std::string CurrentBytes() const;
    void Finish();

    CHollastrinDlg& m_Dlg;
    QString m_strPath;
    std::unique_ptr<QLockFile> m_pLock;
    CSessionWriter m_Writer;
    QTimer m_Timer;
    bool m_bActive = false;
};
