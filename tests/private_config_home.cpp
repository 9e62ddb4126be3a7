// Linked into every test program: the desktop's configuration location
// (XDG_CONFIG_HOME, and the data folder XDG_DATA_HOME) points at a fresh temporary folder for the life of the
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
    PrivateConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        // The data folder too: the history file of a frame a test makes goes there.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/data")));
    }
};

const PrivateConfigHome home;

}  // namespace
