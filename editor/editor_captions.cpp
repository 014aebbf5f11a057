#include "editor/editor_captions.h"

namespace zelvon::editor {

EditorCaptions ReadEditorCaptions(const RegistryKey* settings) {
    EditorCaptions captions;
    if (!settings) return captions;
    for (size_t i = 0; i < 4; ++i) {
        const QString number = QString::number(i + 1);
        if (auto sender = settings->ReadString(QStringLiteral("Sender") + number)) captions.senders[i] = *sender;
        if (auto watch = settings->ReadString(QStringLiteral("Watch") + number)) captions.watchLists[i] = *watch;
    }
    return captions;
}

}  // namespace zelvon::editor
