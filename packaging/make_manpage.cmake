# Writes the man page zelvon(1) from the README: its switch table becomes OPTIONS,
# so the page and the README cannot drift apart.
# cmake -DREADME=README.md -DOUTPUT=zelvon.1 -DVERSION=6.4 -P make_manpage.cmake
file(STRINGS "${README}" lines ENCODING UTF-8)

function(roff_text text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "`([^`]*)`" "\\\\fB\\1\\\\fR" text "${text}")
    # man reads the page as plain ASCII: German letters and marks as groff escapes.
    foreach(pair "ä;\\(:a" "ö;\\(:o" "ü;\\(:u" "Ä;\\(:A" "Ö;\\(:O" "Ü;\\(:U" "ß;\\(ss" "…;..." "„;\\(Bq" "“;\\(lq")
        list(GET pair 0 from)
        list(GET pair 1 to)
        string(REPLACE "${from}" "${to}" text "${text}")
    endforeach()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(options "")
set(in_switches FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^## ")
        if(line STREQUAL "## Switches")
            set(in_switches TRUE)
        else()
            set(in_switches FALSE)
        endif()
    elseif(in_switches AND line MATCHES "^\\|")
        string(REGEX MATCHALL "[^|]+" cells "${line}")
        list(LENGTH cells count)
        if(count LESS 3)
            continue()
        endif()
        list(GET cells 0 switch)
        list(GET cells 1 word)
        list(GET cells 2 run)
        string(STRIP "${switch}" switch)
        string(STRIP "${word}" word)
        string(STRIP "${run}" run)
        if(switch STREQUAL "Switch" OR switch MATCHES "^-+$")
            continue()
        endif()
        roff_text("${switch}" switch)
        roff_text("${run}" run)
        if(word STREQUAL "")
            string(APPEND options ".TP\n.B ${switch}\n${run}\n")
        else()
            string(APPEND options ".TP\n.BR \"${switch}\" \", \" \"${word}\"\n${run}\n")
        endif()
    endif()
endforeach()

if(options STREQUAL "")
    message(FATAL_ERROR "${README} has no switch table under \"## Switches\"")
endif()

file(WRITE "${OUTPUT}" ".TH ZELVON 1 \"\" \"Zelvon ${VERSION}\" \"User Commands\"
.SH NAME
zelvon \\- quote companion for the portfolio suite Quarvinta
.SH SYNOPSIS
.B zelvon
[\\fISWITCH\\fR ...]
.SH DESCRIPTION
Zelvon reads current prices of securities from quote web sites and stores them in the
suite's Paradox table Intraday.db; it also reads ad\\-hoc news, refreshes fundamentals and
downloads reference data. Without a run switch it opens its window; with one it runs
unattended and ends by itself. Switches and words are equal and ignore letter case.
.SH OPTIONS
${options}.SH ENVIRONMENT
.TP
.B ZELVON_REGISTRY
the settings file: a registry export file of its own or a Wine prefix's user.reg
.TP
.B XDG_CONFIG_HOME
where the own settings file Selvaran/Quarvinta.reg lives (default ~/.config)
.TP
.B WINEPREFIX
the suite's Wine prefix: its user.reg is read while the own settings file does not exist,
and Windows paths of the settings are mapped through its dosdevices
.TP
.B XDG_RUNTIME_DIR
where the lock that keeps a second copy from running lives
.TP
.B http_proxy
the proxy text when the settings name none
.TP
.BR DISPLAY ,\\ WAYLAND_DISPLAY
without both, Zelvon runs without a window and writes its messages to stderr
.SH EXIT STATUS
.TP
.B 0
the runs went to their end (also: another copy was already running)
.TP
.B 1
an error ended a run or the start
.TP
.B 2
a bad switch value or a security number that was not found
.SH FILES
.TP
.I ~/.config/Selvaran/Quarvinta.reg
the own settings file
.TP
.I /usr/lib/systemd/user/zelvon\\-kurse.timer, zelvon\\-news.timer
scheduled runs, disabled until enabled with
.B systemctl \\-\\-user enable \\-\\-now
.SH SEE ALSO
.BR systemctl (1),
.BR journalctl (1),
.BR wine (1)
")
