// The captions the security entry dialog takes from the suite's settings:
// the four broadcaster labels ("Sender1" to "Sender4") and the four watch
// lists ("Watch1" to "Watch4"), each with its default when the value is missing.
#pragma once

#include "platform/registry.h"

#include <QString>

#include <array>

namespace zelvon::editor {

struct EditorCaptions {
    std::array<QString, 4> senders{QStringLiteral("ZDF"), QStringLiteral("N-TV"), QStringLiteral("SF1"),
                                   QStringLiteral("MEHR")};
    std::array<QString, 4> watchLists{QStringLiteral("1.Beobachtungsliste"), QStringLiteral("2.Beobachtungsliste"),
                                      QStringLiteral("3.Beobachtungsliste"), QStringLiteral("4.Beobachtungsliste")};
};

// settings may be null (no settings store): every caption keeps its default.
// A value of another type raises RegistryError naming it.
EditorCaptions ReadEditorCaptions(const RegistryKey* settings);

}  // namespace zelvon::editor
