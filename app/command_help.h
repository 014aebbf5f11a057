// "zelvon --help" and "zelvon --version": answered before anything else starts,
// so they work without a display, without settings and while another copy runs.
#pragma once

#include <QString>
#include <QStringList>

namespace zelvon {

enum class InformationRequest { None, Help, Version };

// "--help" or "-h", and "--version", anywhere on the command line; help wins.
InformationRequest FindInformationRequest(const QStringList& arguments);

QString HelpText();
QString VersionText();
// The version of this build, "6.4".
QString ProgramVersion();

}  // namespace zelvon
