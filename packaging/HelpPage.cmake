# cmake -DPAGE=Help/xx.html -DSTYLE=Help/style.css -DMANUAL=quenzar-cli.1 -DOUTPUT=out.html -P HelpPage.cmake
#
# Makes a help page as it is installed: the stylesheet it links to goes inside it, so that the
# page needs nothing beside it, and the synopsis of quenzar-cli comes from the tool's manual page,
# so that the manual and the pages in every language name the same commands and options.
file(READ ${PAGE} page)
file(READ ${STYLE} style)
file(READ ${MANUAL} manual)

# The manual's SYNOPSIS, one paragraph per line. Its fonts alternate without blanks between the
# words of a two- or three-word macro (".RB [ \-\-dest" is "[--dest").
string(FIND "${manual}" "\n.SH SYNOPSIS\n" start)
string(FIND "${manual}" "\n.SH DESCRIPTION\n" end)
if(start EQUAL -1 OR end EQUAL -1)
    message(FATAL_ERROR "${MANUAL}: no SYNOPSIS followed by DESCRIPTION")
endif()
math(EXPR start "${start} + 14")
math(EXPR length "${end} - ${start}")
string(SUBSTRING "${manual}" ${start} ${length} synopsis)
string(REPLACE "\\-" "-" synopsis "${synopsis}")
string(REGEX REPLACE "(^|\n)\\.(RB|IR|BR|RI) ([^ \n]*) ?([^ \n]*) ?([^ \n]*)" "\\1\\3\\4\\5" synopsis "${synopsis}")
string(REGEX REPLACE "(^|\n)\\.[BI] " "\\1" synopsis "${synopsis}")
string(REPLACE "&" "&amp;" synopsis "${synopsis}")
string(REPLACE "<" "&lt;" synopsis "${synopsis}")
string(REPLACE ">" "&gt;" synopsis "${synopsis}")
string(REPLACE "\n.PP\n" "@PARAGRAPH@" synopsis "${synopsis}")
string(REPLACE "\n" " " synopsis "${synopsis}")
string(REPLACE "@PARAGRAPH@" "</p>\n<p>" synopsis "${synopsis}")

foreach(placeholder "<link rel=\"stylesheet\" href=\"style.css\" />" "<!-- quenzar-cli synopsis -->")
    string(FIND "${page}" "${placeholder}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${PAGE}: no ${placeholder}")
    endif()
endforeach()
string(REPLACE "<link rel=\"stylesheet\" href=\"style.css\" />" "<style>\n${style}</style>" page "${page}")
string(REPLACE "<!-- quenzar-cli synopsis -->" "<div class=\"synopsis\">\n<p>${synopsis}</p>\n</div>" page "${page}")
file(WRITE ${OUTPUT} "${page}")
