#pragma once
// Ctrl+C is also the Exit key of the File menu. In a text window holding a selection the key
// copies the selection instead, as terminals that share the key do. Internal to window/.

class QPlainTextEdit;

namespace kelm::window {

void copySelectionOnCopyKey(QPlainTextEdit& text);

}  // namespace kelm::window
