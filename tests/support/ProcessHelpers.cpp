#include "ProcessHelpers.h"

#include <QFile>
#include <QProcess>

#include <ctime>
#include <sys/resource.h>

qint64 processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool linkComPort(const QString &folder, int number, const QString &target) {
    const QString link = folder + QStringLiteral("/com%1").arg(number);
    QFile::remove(link);
    return QFile::link(target, link);
}

// AddressSanitizer reserves terabytes of address space for its shadow memory at start, so under
// it any such limit ends the program at once; the plain build's tests hold memory to the limit.
#if defined(__SANITIZE_ADDRESS__)
void limitAddressSpace(QProcess &, qint64) {}
#else
void limitAddressSpace(QProcess &process, qint64 bytes) {
    process.setChildProcessModifier([bytes] {
        const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
        setrlimit(RLIMIT_AS, &limit);
    });
}
#endif

ProgramRun runProgram(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment, int deadlineMs,
                      qint64 addressSpaceLimit) {
    QProcess process;
    process.setProcessEnvironment(environment);
    if (addressSpaceLimit > 0)
        limitAddressSpace(process, addressSpaceLimit);
    process.start(program, arguments);
    ProgramRun run;
    run.ended = process.waitForFinished(deadlineMs);
    if (!run.ended) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}
