// Linked into every test program: the desktop's configuration location
// (XDG_CONFIG_HOME) points at a fresh temporary folder for the life of the
// process, so that what a test starts or closes (the frame remembers its place
// and server there) never reads or writes the user's own configuration, and
// no test sees what another one left.
#include <QByteArray>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>

namespace {

struct PrivateConfigHome {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/talvessa-test-config-XXXXXX")};
    PrivateConfigHome() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path())); }
};

const PrivateConfigHome home;

}  // namespace
