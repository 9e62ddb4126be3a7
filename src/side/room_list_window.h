#pragma once
// The room list window: the server's rooms above, the program's server log
// below, and a floating panel with the server's name, totals and the buttons
// that ask for the room list.
#include "common/line_sender.h"
#include "model/line_writes.h"
#include "transcript/line_store.h"

#include <QWidget>

#include <memory>

#include <string>
#include <vector>

class ChatFrame;
class LineConnection;
class RoomListModel;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeView;
class TranscriptView;

// The room list window, a child of the frame for the whole run.
class RoomListWindow : public QWidget, public SendNoteTaker {
    Q_OBJECT
public:
    explicit RoomListWindow(QWidget* parent = nullptr);

    // The server connection the load buttons write to (the frame's).
    // The connection the window's requests go to; on its own (no road
    // given by SetSender) the window writes through a road of its own.
    void SetConnection(LineConnection* connection);
    // The frame's one road, which the window's requests take from then on.
    void SetSender(LineSender* sender) { sender_ = sender; }
    // A request that did not go: a line in the window's log.
    void WriteSendNote(const QString& note) override { AppendLogLine(note); }
    LineConnection* Connection() const { return connection_; }

    // The frame, for opening room windows from the list.
    // The frame, whose network's room list and runs of lines the window follows.
    void SetFrame(ChatFrame* frame);

    // The server log, a transcript of plain lines; read-only, never
    // cleared, but like every transcript it keeps only its last
    // kLogKeptLines lines: older ones are dropped in blocks, and its first
    // line then says so (kLogDroppedNote). A line with nothing to show
    // (formatting codes and blanks only) is not added.
    static constexpr int kLogKeptLines = LineStore::kKeptLines;
    static constexpr int kLogDropBlock = LineStore::kDropBlock;
    static inline const QString& kLogDroppedNote = LineStore::kDroppedNote;
    // The log view itself, for the find bar the frame puts on it.
    TranscriptView* LogView() const { return log_; }
    void AppendLogLine(const QString& line);
    void AppendLogLines(const QStringList& lines);
    // Between these two, log lines are collected and appended in one block
    // at the end (the reader's drain brackets each of its slices with them).
    void BeginLogBatch();
    void EndLogBatch();

    // The rooms: "Room Name", "Topic", "Chatters", in arrival order until a
    // column header is clicked.
    // wireName: the name's bytes as the server sent them, for the join.
    void AddRoomRow(const QString& name, const QString& topic, const QString& chatters,
                    const std::string& wireName = {});
    void ClearRows();
    // Every row, including the ones added since the list was last painted.
    int RowCount() const;
    int SortColumn() const { return sortColumn_; }
    // The rows behind the table.
    RoomListModel& Model() const { return *rooms_; }

    // The server panel: the server's name, the totals, the buttons that ask
    // for the room list.
    void SetServerTitle(const QString& title);
    void ShowServerPanel();
    void HideServerPanel();
    void SetTotalChannels(const QString& count);
    void SetTotalUsers(const QString& count);
    // Before the totals are asked for again: a server without rooms sends no
    // room count at all, so the rooms read 0 until it says otherwise, and the
    // users nothing.
    void ResetTotals();
    // The connection ended: the panel goes, with the server's name and totals.
    void ForgetServer();

    // Handlers.
    void onLoadFullListClicked();
    void onLoadListClicked();
    void onClosePanelClicked();
    void onColumnClicked(int column);
    // Opens and joins the selected room (or brings its open window to the front).
    void onRoomDoubleClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildServerPanel();
    void PlaceServerPanel();
    void WriteLines(const std::vector<std::string>& lines);
    void HoldLogLines(const QStringList& lines);
    void AddToLog(const QStringList& lines);
    static constexpr int kLogBlockLines = 2000;

    LineConnection* connection_ = nullptr;
    LineSender* sender_ = nullptr;
    std::unique_ptr<LineSender> ownSender_;
    ChatFrame* frame_ = nullptr;
    int sortColumn_ = 0;
    int logBatchDepth_ = 0;
    QStringList pendingLog_;

    TranscriptView* log_ = nullptr;
    QTreeView* roomTable_ = nullptr;
    RoomListModel* rooms_ = nullptr;
    QFrame* serverPanel_ = nullptr;
    QLabel* serverTitle_ = nullptr;
    QLabel* roomCountLabel_ = nullptr;
    QLineEdit* roomCountBox_ = nullptr;
    QLabel* userCountLabel_ = nullptr;
    QLineEdit* userCountBox_ = nullptr;
    QPushButton* loadFullListButton_ = nullptr;
    QPushButton* loadListButton_ = nullptr;
    QLineEdit* roomFilterLine_ = nullptr;
    QToolButton* closePanelButton_ = nullptr;
    QSplitter* splitter_ = nullptr;
};
