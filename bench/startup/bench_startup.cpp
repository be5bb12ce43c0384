// Start-up time of the real program: from starting the process to the last step of its loading
// sequence (catalogue, distance table, profile search), as the window-watch plugin reports it.
// Reports the figures; asserts nothing about time.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString ProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("kestrovan.exe");
#else
    return QStringLiteral("kestrovan");
#endif
}

// Milliseconds from start to the end of loading, or -1 when the run failed.
qint64 RunOnce(const QString &ProgramFolder)
{
    QTemporaryDir home;
    if (!home.isValid())
        return -1;
    const QString logFile = home.filePath("watch.log");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.path() + "/.local/share");
    env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
    env.insert("QT_PLUGIN_PATH", KVN_TEST_PLUGIN_DIR);
    env.insert("QT_QPA_GENERIC_PLUGINS", "kvnwindowwatch:" + logFile);
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home.path());
    const qint64 started = QDateTime::currentMSecsSinceEpoch();
    process.start(ProgramFolder + "/" + ProgramName(), {});
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    QFile log(logFile);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray &line : log.readAll().split('\n'))
        if (line.startsWith("loaded "))
            return line.mid(7).toLongLong() - started;
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QDir bin(KVN_BIN_DIR);
    if (!folder.isValid() || !QFile::copy(bin.filePath(ProgramName()), folder.filePath(ProgramName())) ||
        !QFile::copy(bin.filePath("SII_Decrypt.exe"), folder.filePath("SII_Decrypt.exe"))) {
        std::fprintf(stderr, "cannot prepare the program folder\n");
        return 1;
    }
    constexpr int kRuns = 7;
    std::vector<qint64> times;
    for (int i = 0; i < kRuns; ++i) {
        const qint64 ms = RunOnce(folder.path());
        if (ms < 0) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up, process start to end of loading (no game folder), %d runs: "
                "min %lld ms, median %lld ms, max %lld ms\n",
                kRuns, static_cast<long long>(times.front()), static_cast<long long>(times[times.size() / 2]),
                static_cast<long long>(times.back()));
    return 0;
}
