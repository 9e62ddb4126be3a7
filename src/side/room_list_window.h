#pragma once
// The room list window: the server's rooms above, the program's server log
// below, and a floating panel with the server's name, totals and the buttons
// that ask for the room list.
#include <QWidget>

class LineConnection;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeWidget;

// The room list window, a child of the frame for the whole run.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // The server connection the load buttons write to (the frame's).
    void setIdTCPClient(LineConnection* connection) { connection_ = connection; }
    LineConnection* getIdTCPClient() const { return connection_; }

    // The server log; read-only, never cleared.
    QPlainTextEdit* log = nullptr;
    void AppendLogLine(const QString& line);
    void AppendLogLines(const QStringList& lines);

    // The rooms: "Room Name", "Topic", "Chatters", in arrival order.
    QTreeWidget* RoomList = nullptr;
    void AddRoomRow(const QString& name, const QString& topic, const QString& chatters);
    void ClearRows();

    // The server panel.
    QFrame* serverstat = nullptr;
    QLabel* servertitle = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* totalchannelstxt = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* totaluserstxt = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QSplitter* Splitter2 = nullptr;
    void ShowServerPanel();
    void HideServerPanel();
    void SetTotalChannels(const QString& count);
    void SetTotalUsers(const QString& count);

    // Handlers.
    void FormCreate();
    void Button6Click();
    void Button1Click();
    void SpeedButton1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildServerPanel();
    void PlaceServerPanel();
    void WriteLine(const std::string& line);

    LineConnection* connection_ = nullptr;
};
