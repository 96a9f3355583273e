# Writes the man page of olvar-cli from its own --help, so that the two never disagree.
#   cmake -DCLI=path/to/olvar-cli -DVERSION=x.y.z -DOUTPUT=olvar-cli.1 -P make_man_page.cmake
# Each subcommand's --help becomes a section of its own.
execute_process(COMMAND "${CLI}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${CLI} --help failed (${status})")
endif()

# troff: a backslash is written \e, and a line starting with a point or an apostrophe would be
# read as a request.
function(as_troff text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

as_troff("${help}" body)
set(page ".TH OLVAR-CLI 1 \"\" \"olvar ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\nolvar-cli \\- nutrition and mortality surveys from the command line\n")
string(APPEND page ".SH SYNOPSIS\n.B olvar-cli\n\\fISUBCOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIFILES\\fR]\n")
string(APPEND page ".SH DESCRIPTION\n.nf\n${body}\n.fi\n")

# The subcommands: the words listed under SUBCOMMANDS in the help.
string(REGEX MATCH "SUBCOMMANDS:.*" listing "${help}")
string(REGEX MATCHALL "\n  ([a-z][a-z-]*)" names "${listing}")
foreach(entry IN LISTS names)
  string(STRIP "${entry}" name)
  execute_process(COMMAND "${CLI}" ${name} --help OUTPUT_VARIABLE sub RESULT_VARIABLE status)
  if(status EQUAL 0)
    as_troff("${sub}" sub)
    string(APPEND page ".SH \"olvar-cli ${name}\"\n.nf\n${sub}\n.fi\n")
  endif()
endforeach()
string(APPEND page ".SH \"EXIT STATUS\"\n0 done; 1 bad usage or unreadable input, nothing written; "
                   "2 written, but some data could not be kept.\n")
string(APPEND page ".SH \"SEE ALSO\"\n.BR olvar (1),\nthe user guide in /usr/share/olvar/guide/index.html\n")
file(WRITE "${OUTPUT}" "${page}")
