#pragma once

// Every value that differs between macOS and Linux, side by side in one place.

#include <QDir>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace Platform {

#if defined(Q_OS_MACOS)
inline QString applicationsFolder() { return QStringLiteral("/Applications"); }
inline constexpr char statusFileSuffix[] = "_mac";
inline constexpr char updatePlatformFolder[] = "mac";
inline constexpr char installerSuffix[] = ".dmg";
inline constexpr char openerCommand[] = "open";
// The process list: a header line, then the id first and the time column before the command.
inline constexpr char processListProgram[] = "/bin/ps";
inline QStringList processListArguments() { return {QStringLiteral("-A")}; }
#else
inline QString applicationsFolder() { return QDir::homePath() + QStringLiteral("/Applications"); }
inline constexpr char statusFileSuffix[] = "_linux";
inline constexpr char updatePlatformFolder[] = "linux";
inline constexpr char installerSuffix[] = ".tar.gz";
inline constexpr char openerCommand[] = "xdg-open";
inline constexpr char processListProgram[] = "/bin/ps";
inline QStringList processListArguments()
{
    return {QStringLiteral("-A"), QStringLiteral("-o"), QStringLiteral("pid,tty,time,args")};
}
#endif

// The OS name itself comes from Sys::OsProber, whose implementation file is chosen per platform.

} // namespace Platform
