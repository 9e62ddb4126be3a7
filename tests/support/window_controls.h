#pragma once
// Finding a window's controls by their object names, as the tests drive
// windows through the controls a user sees.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QObject>
#include <QString>

// The control named name of type T inside window; a missing control stops
// the test program, naming it.
template <typename T>
T* Control(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named \"%s\" in %s", T::staticMetaObject.className(), name,
               qPrintable(window.objectName()));
    return found;
}

// The chat window's input line.
inline QLineEdit* InputLine(const QObject& window) { return Control<QLineEdit>(window, "inputLine"); }
