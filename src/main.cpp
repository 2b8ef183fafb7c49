#include "app/VantoraApplication.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Outside a login session (a root shell, a service, a bare system) nothing sets XDG_RUNTIME_DIR,
// and Qt then prints a warning at every start before it falls back to a folder of its own. The
// program makes that folder itself, quietly: "vantora-runtime-<user id>" in the temporary folder,
// the user's alone (mode 0700). It stays for later starts, so that a second start finds the
// first one's channel there. A folder of that name that is not the user's is left alone, and Qt
// says why it cannot use its own either.
void provideRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const uid_t user = ::getuid();
    const QByteArray path = QFile::encodeName(QDir::tempPath()) + "/vantora-runtime-" + QByteArray::number(user);
    if (::mkdir(path.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return;
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user)
        return;
    if ((info.st_mode & 07777) != S_IRWXU && ::chmod(path.constData(), S_IRWXU) != 0)
        return;
    qputenv("XDG_RUNTIME_DIR", path);
}

} // namespace

int main(int argc, char** argv)
{
    provideRuntimeFolder();
    return runVantora(argc, argv);
}
