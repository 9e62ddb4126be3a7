#pragma once
// The history search window: words and phrases, a room or nick filter and a
// date range looked up in the history file, the lines found newest first,
// a page at a time.
#include "model/history_store.h"

#include <QList>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class HistorySearchWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPageSize = 50;

    // A window of its own over parent, reading the history file at path.
    explicit HistorySearchWindow(QString path, QWidget* parent = nullptr);
    ~HistorySearchWindow() override;

    // The rooms, conversations and server logs of the file, read again for the room filter.
    void FillBuffers();
    // The first page for what the controls say; the next and the previous page.
    void Search();
    void OlderPage();
    void NewerPage();
    // The lines of the page shown, newest first.
    const QList<HistoryHit>& Hits() const { return hits_; }

signals:
    // A found line was double-clicked: its window should open and show it.
    void openRequested(const HistoryLine& line, const QString& plainText);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool OpenStore();
    HistorySearch Query() const;
    void ShowPage(qint64 beforeId);
    void onItemActivated(QTreeWidgetItem* item);

    QString path_;
    std::unique_ptr<HistoryStore> store_;
    QList<HistoryBuffer> buffers_;
    QList<HistoryHit> hits_;
    QList<qint64> pageStarts_;  // beforeId of each page up to the one shown
    HistorySearch shownQuery_;

    QLineEdit* wordsEdit_ = nullptr;
    QComboBox* roomBox_ = nullptr;
    QLineEdit* nickEdit_ = nullptr;
    QCheckBox* fromCheck_ = nullptr;
    QDateEdit* fromDate_ = nullptr;
    QCheckBox* toCheck_ = nullptr;
    QDateEdit* toDate_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QPushButton* newerButton_ = nullptr;
    QPushButton* olderButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
};

// The text of a found line as rich text, with each match marked.
QString MarkedMatches(const QString& plainText, const QList<std::pair<int, int>>& matches);
