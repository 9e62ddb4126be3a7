#pragma once
// Saving a transcript as an RTF file while the program goes on painting.
#include <QString>

class QWidget;
class TranscriptView;

// Writes the transcript of view, as it stands when called, to path as RTF on
// a worker thread; lines that arrive meanwhile go on into the view. A
// progress dialog (window-modal, shown when the writing takes more than half
// a second) lets the user cancel. The file appears whole or not at all: a
// cancelled or failed write leaves whatever was at path before untouched.
// True when saved, false when cancelled; throws std::runtime_error (with
// the sentence to show) when the file cannot be written.
bool SaveTranscript(TranscriptView& view, const QString& path);

// Save Chat as the user starts it from window: asks for the file (starting
// in folder), saves view's transcript there, and tells a failure.
void AskAndSaveTranscript(QWidget* window, TranscriptView& view, const QString& folder);
