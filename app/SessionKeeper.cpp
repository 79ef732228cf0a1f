#include "app/SessionKeeper.h"

#include "app/HollastrinDlg.h"
#include "files/SessionFile.h"
#include "objects/EntryControlView.h"
#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QSaveFile>
#include <QSettings>

#include <cstdio>

namespace
{
// A change is written this long after it, at the latest (with the changes
// that follow it meanwhile).
constexpr int kWriteDelayMs = 1000;
// Larger files are no session of ours.
constexpr qint64 kMaxSessionBytes = 64 * 1024 * 1024;
constexpr char kKeepSetting[] = "session/keep";
constexpr char kSessionPattern[] = "session-*.txt";
constexpr char kLockSuffix[] = ".lock";

void Tell(const QString& line)
{
    std::fprintf(stderr, "quindle: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

QSettings Settings()
{
    return QSettings(QStringLiteral("quindle"), QStringLiteral("quindle"));
}

// The lock that tells a running program's session from an ended one; a
// program that died leaves a stale lock, which the next one takes over.
std::unique_ptr<QLockFile> TryLock(const QString& sessionPath)
{
    auto pLock = std::make_unique<QLockFile>(sessionPath + QLatin1String(kLockSuffix));
    pLock->setStaleLockTime(0);
    if (!pLock->tryLock(0))
        return nullptr;
    return pLock;
}
} // namespace

QString SessionFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/quindle");
}

// ---------------------------------------------------------------------------
// Writing

CSessionWriter::CSessionWriter() : m_thread([this] { Run(); }) {}

CSessionWriter::~CSessionWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void CSessionWriter::Post(const QString& path, std::string bytes)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending.emplace(path, std::move(bytes));
    }
    m_cv.notify_all();
}

void CSessionWriter::Wait()
{
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return !m_pending && !m_bBusy; });
}

bool CSessionWriter::LastWriteSucceeded() const
{
    const std::lock_guard lock(m_mutex);
    return !m_bFailed;
}

void CSessionWriter::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        m_cv.wait(lock, [this] { return m_bStop || m_pending; });
        if (!m_pending)
            return; // stopping, with nothing left to write
        const auto [path, bytes] = std::move(*m_pending);
        m_pending.reset();
        m_bBusy = true;
        lock.unlock();
        const bool bWritten = WriteNow(path, bytes);
        lock.lock();
        if (!bWritten && !m_bFailed)
            Tell(QStringLiteral("the open objects could not be kept in %1; they are kept in "
                                "their windows only until that works again.")
                     .arg(path));
        m_bFailed = !bWritten;
        m_bBusy = false;
        m_cv.notify_all();
    }
}

bool CSessionWriter::WriteNow(const QString& path, const std::string& bytes)
{
    if (bytes.empty())
        return !QFile::exists(path) || QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
    {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    // The user's alone, whatever the folder or the mask gave it.
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// ---------------------------------------------------------------------------
// The keeper

CSessionKeeper::CSessionKeeper(CHollastrinDlg& dlg, QObject* pParent) : QObject(pParent), m_Dlg(dlg)
{
    m_Timer.setSingleShot(true);
    m_Timer.setInterval(kWriteDelayMs);
    connect(&m_Timer, &QTimer::timeout, this, &CSessionKeeper::WriteSoon);
    const CObjectRegistry* pRegistry = &m_Dlg.Registry();
    connect(pRegistry, &CObjectRegistry::objectAdded, this, &CSessionKeeper::OnChanged);
    connect(pRegistry, &CObjectRegistry::objectRemoved, this, &CSessionKeeper::OnChanged);
    connect(pRegistry, &CObjectRegistry::selectionChanged, this, &CSessionKeeper::OnChanged);
    connect(pRegistry, &CObjectRegistry::objectEdited, this, &CSessionKeeper::OnChanged);
    connect(&m_Dlg, &CHollastrinDlg::aboutToEnd, this, &CSessionKeeper::Finish);
    connect(&m_Dlg, &CHollastrinDlg::contextMenuAboutToShow, this, &CSessionKeeper::AddMenuEntries);
    if (auto* pApp = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    {
        // The desktop session is ending: keep everything now, whatever
        // follows.
        connect(pApp, &QGuiApplication::commitDataRequest, this, &CSessionKeeper::Flush,
                Qt::DirectConnection);
        connect(pApp, &QCoreApplication::aboutToQuit, this, &CSessionKeeper::Finish);
    }
}

CSessionKeeper::~CSessionKeeper()
{
    Finish();
}

bool CSessionKeeper::KeepingEnabled()
{
    return Settings().value(QLatin1String(kKeepSetting), true).toBool();
}

void CSessionKeeper::Start(EStart start)
{
    if (!KeepingEnabled())
        return;
    const QString folder = SessionFolder();
    if (!QDir().mkpath(folder))
    {
        Tell(QStringLiteral("the open objects are not kept between runs: the folder %1 "
                            "cannot be made.")
                 .arg(folder));
        return;
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isWritable())
    {
        Tell(QStringLiteral("the open objects are not kept between runs: the folder %1 "
                            "cannot be written.")
                 .arg(folder));
        return;
    }

    // Locks left by programs that died before they kept anything.
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("session-*.txt") + QLatin1String(kLockSuffix)}, QDir::Files))
    {
        const QString sessionPath = dir.filePath(name.chopped(int(qstrlen(kLockSuffix))));
        if (!QFile::exists(sessionPath))
            TryLock(sessionPath); // taken and let go: the lock file goes
    }

    if (start == EStart::Restore)
    {
        for (const QString& path : EndedSessionPaths())
        {
            std::unique_ptr<QLockFile> pLock = TryLock(path);
            if (!pLock)
                continue; // another program took it meanwhile
            m_pLock = std::move(pLock);
            m_strPath = path;
            m_bActive = true;
            m_Dlg.Windows().RestoreSession(ReadKept(path));
            break;
        }
    }
    if (!m_bActive)
        TakeNewSession();
}

void CSessionKeeper::TakeNewSession()
{
    const QDir dir(SessionFolder());
    for (int nTry = 0; nTry < 100 && !m_bActive; ++nTry)
    {
        const QString path = dir.filePath(
            QStringLiteral("session-%1-%2-%3.txt")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                .arg(QCoreApplication::applicationPid())
                .arg(nTry));
        if (QFile::exists(path))
            continue;
        if (std::unique_ptr<QLockFile> pLock = TryLock(path))
        {
            m_pLock = std::move(pLock);
            m_strPath = path;
            m_bActive = true;
        }
    }
    if (!m_bActive)
        Tell(QStringLiteral("the open objects are not kept between runs: no session can be "
                            "started in %1.")
                 .arg(dir.path()));
    else if (!m_Dlg.Registry().ObjectList().isEmpty())
        OnChanged();
}

QStringList CSessionKeeper::EndedSessionPaths() const
{
    QStringList paths;
    const QDir dir(SessionFolder());
    for (const QFileInfo& file :
         dir.entryInfoList({QLatin1String(kSessionPattern)}, QDir::Files, QDir::Time))
    {
        const QString path = file.absoluteFilePath();
        if (path != m_strPath && TryLock(path))
            paths.append(path);
    }
    return paths;
}

QList<CSessionKeeper::EndedSession> CSessionKeeper::EndedSessions() const
{
    QList<EndedSession> ended;
    for (const QString& path : EndedSessionPaths())
    {
        KeptSession kept;
        std::string strError;
        const int nObjects = ReadFile(path, kept, strError) ? int(kept.objects.size()) : -1;
        ended.append(EndedSession{path, QFileInfo(path).lastModified(), nObjects});
    }
    return ended;
}

bool CSessionKeeper::ReadFile(const QString& path, KeptSession& session, std::string& strError)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
    {
        strError = "it cannot be opened";
        return false;
    }
    if (in.size() > kMaxSessionBytes)
    {
        strError = "it is far too large";
        return false;
    }
    const QByteArray bytes = in.readAll();
    return ReadSession(std::string_view(bytes.constData(), std::size_t(bytes.size())), session,
                       strError);
}

KeptSession CSessionKeeper::ReadKept(const QString& path)
{
    if (!QFileInfo(path).isReadable())
    {
        Tell(QStringLiteral("the kept session %1 could not be opened; it stays where it is.")
                 .arg(path));
        return KeptSession();
    }
    KeptSession session;
    std::string strError;
    if (ReadFile(path, session, strError))
        return session;
    // Set aside, never overwritten: the next write makes a new file.
    const QString aside =
        path + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const bool bMoved = QFile::rename(path, aside);
    Tell(QStringLiteral("the kept session %1 could not be read whole (%2): %3 of its objects "
                        "came back, and the file %4.")
             .arg(path, QString::fromStdString(strError))
             .arg(session.objects.size())
             .arg(bMoved ? QStringLiteral("was moved to ") + aside
                         : QStringLiteral("could not be moved aside and stays as it was")));
    return session;
}

std::string CSessionKeeper::CurrentBytes() const
{
    // A session without objects leaves nothing to bring back.
    if (m_Dlg.Registry().ObjectList().isEmpty())
        return std::string();
    return FormatSession(m_Dlg.Windows().CaptureSession());
}

void CSessionKeeper::OnChanged()
{
    if (m_bActive && !m_Timer.isActive())
        m_Timer.start();
}

void CSessionKeeper::WriteSoon()
{
    if (m_bActive)
        m_Writer.Post(m_strPath, CurrentBytes());
}

void CSessionKeeper::Flush()
{
    if (!m_bActive)
        return;
    m_Timer.stop();
    m_Writer.Post(m_strPath, CurrentBytes());
    m_Writer.Wait();
}

void CSessionKeeper::Finish()
{
    Flush();
    Release();
}

void CSessionKeeper::Release()
{
    m_Timer.stop();
    m_bActive = false;
    m_pLock.reset();
    m_strPath.clear();
}

void CSessionKeeper::SetKeepingEnabled(bool bEnabled)
{
    Settings().setValue(QLatin1String(kKeepSetting), bEnabled);
    if (bEnabled && !m_bActive)
    {
        TakeNewSession();
    }
    else if (!bEnabled && m_bActive)
    {
        // This run's objects stay in their windows, but are no longer kept.
        m_Writer.Post(m_strPath, std::string());
        m_Writer.Wait();
        Release();
    }
}

bool CSessionKeeper::SwitchTo(const QString& path)
{
    std::unique_ptr<QLockFile> pLock = TryLock(path);
    if (!pLock)
        return false;
    // This run's objects stay kept in their own session, which ends here.
    Finish();
    m_Dlg.Windows().CloseAllUnkept();
    m_pLock = std::move(pLock);
    m_strPath = path;
    m_bActive = true;
    m_Dlg.Windows().RestoreSession(ReadKept(path));
    if (!KeepingEnabled())
        Release(); // opened, but not kept by this run: the file stays as it was
    return true;
}

bool CSessionKeeper::Discard(const QString& path)
{
    const std::unique_ptr<QLockFile> pLock = TryLock(path);
    return pLock && QFile::remove(path);
}

void CSessionKeeper::AddMenuEntries(QMenu* pMenu)
{
    QAction* pKeep = pMenu->addAction(QStringLiteral("&Keep Objects Between Runs"));
    pKeep->setCheckable(true);
    pKeep->setChecked(KeepingEnabled());
    connect(pKeep, &QAction::toggled, this, &CSessionKeeper::SetKeepingEnabled);

    QMenu* pSessions = pMenu->addMenu(QStringLiteral("Kept &Sessions"));
    const QList<EndedSession> ended = EndedSessions();
    pSessions->setEnabled(!ended.isEmpty());
    for (const EndedSession& session : ended)
    {
        const QString count = session.nObjects < 0 ? QStringLiteral("unreadable")
                              : session.nObjects == 1
                                  ? QStringLiteral("1 object")
                                  : QStringLiteral("%1 objects").arg(session.nObjects);
        QMenu* pEntry =
            pSessions->addMenu(session.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                               QStringLiteral(", ") + count);
        const QString path = session.path;
        pEntry->addAction(QStringLiteral("&Open in Place of the Open Objects"), this,
                          [this, path]
                          {
                              if (!SwitchTo(path))
                                  AppMessageBox("That session is open in another Quindle now.");
                          });
        pEntry->addAction(QStringLiteral("&Discard"), this, [path] { Discard(path); });
    }
}
