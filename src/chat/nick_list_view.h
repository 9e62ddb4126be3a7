#pragma once

#include <QString>
#include <QStringList>
#include <QTreeWidget>

// The nick list of a room window: one entry per user, kept sorted by nick
// without regard to case, each with its icon number (host, normal, ignored)
// and, for users seen joining, their host as a sub-item.
//
// Entries go straight to their sorted place (a binary search), so both
// lookups are binary searches too and a burst of thousands of names stays
// cheap; the widget's own sorting is never switched on.
class NickListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit NickListView(QWidget* parent = nullptr);

    // The first entry, in list order, whose nick begins with text, ignoring case.
    QTreeWidgetItem* FindPrefix(const QString& text) const;
    // The first entry, in list order, whose whole nick equals text, ignoring case.
    QTreeWidgetItem* FindExact(const QString& text) const;

    // Adds an entry at its sorted place. An empty host adds no sub-item.
    QTreeWidgetItem* AddEntry(const QString& nick, int icon, const QString& host = QString());
    // Removes and frees the entry; nullptr is ignored.
    void RemoveEntry(QTreeWidgetItem* entry);
    void ClearEntries();

    int Count() const { return topLevelItemCount(); }
    QTreeWidgetItem* EntryAt(int index) const { return topLevelItem(index); }
    static QString Nick(const QTreeWidgetItem* entry);
    static QString Host(const QTreeWidgetItem* entry);
    static int IconNumber(const QTreeWidgetItem* entry);
    static void SetIconNumber(QTreeWidgetItem* entry, int icon);

    // The nicks in list order.
    QStringList Nicks() const;
    // The selected entry; null when none is selected.
    QTreeWidgetItem* SelectedEntry() const;
    // The selected entry's nick without the host mark "@"; empty when none
    // is selected.
    QString SelectedNick() const;

private:
    // Index of the first entry not less than text (ignoring case).
    int LowerBound(const QString& text) const;
    // Index where an entry with this nick goes: after every entry that sorts before or equal to it.
    int InsertPosition(const QString& nick) const;
};
