# Writes a script that holds the text of INPUT as the string variable NAME.
# Run as: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed_script.cmake
file(READ "${INPUT}" text)
string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "\"" "\\\"" text "${text}")
string(REPLACE "\r" "\\r" text "${text}")
string(REPLACE "\n" "\\n" text "${text}")
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp" "// Generated from ${input_name}; do not edit.\nvar ${NAME} = \"${text}\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
