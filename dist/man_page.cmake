# cmake -DTAVPRINT=... -DHELP2MAN=... -DOUTPUT=... -P man_page.cmake
# Makes tavprint(1) with help2man from `tavprint --help`, and adds a COMMANDS section holding the
# --help text of every command and subcommand, as tavprint prints them.

# The names listed under "Subcommands:" in a help text.
function(subcommands_of help out_var)
  string(REPLACE "\n" ";" lines "${help}")
  set(in_list FALSE)
  set(names)
  foreach(line IN LISTS lines)
    if(line MATCHES "^Subcommands:")
      set(in_list TRUE)
    elseif(in_list AND line MATCHES "^  ([a-z][a-z0-9-]*)( |$)")
      list(APPEND names ${CMAKE_MATCH_1})
    elseif(in_list AND NOT line MATCHES "^ ")
      set(in_list FALSE)
    endif()
  endforeach()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

function(help_of words out_var)
  execute_process(COMMAND ${TAVPRINT} ${words} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "tavprint ${words} --help failed: ${status}")
  endif()
  set(${out_var} "${help}" PARENT_SCOPE)
endfunction()

# A help text as a roff block that keeps its lines and indentation.
function(append_section title help)
  string(REPLACE "\\" "\\e" help "${help}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
  string(REGEX REPLACE "\n+$" "" help "${help}")
  file(APPEND ${include} ".SS \"${title}\"\n.nf\n${help}\n.fi\n")
endfunction()

set(include ${OUTPUT}.h2m)
file(WRITE ${include} "[COMMANDS]\nEvery command takes the options above, before or after its own words.\n")
help_of("" top)
subcommands_of("${top}" commands)
foreach(command IN LISTS commands)
  help_of("${command}" help)
  append_section("tavprint ${command}" "${help}")
  subcommands_of("${help}" subcommands)
  foreach(subcommand IN LISTS subcommands)
    help_of("${command};${subcommand}" help)
    append_section("tavprint ${command} ${subcommand}" "${help}")
  endforeach()
endforeach()
file(APPEND ${include} "[SEE ALSO]\nThe README (share/doc/tavmprintexport/README.md under the install prefix,\n/usr for the Debian package) says how to set up data sources, where the files are\nand which environment variables change them.\n")

execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1 --source=TAVMPrintExport
          "--name=register, inspect and call the TAVMPrintExport print-data component"
          --include=${include} --output=${OUTPUT} ${TAVPRINT}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${status}")
endif()
