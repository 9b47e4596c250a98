# Joins the catalogue fragments of the art and sound tools into data.json.
# Usage: cmake -DOUT=<data.json> -DART=<fragment> -DSOUND=<fragment> -P join_catalogue.cmake
set(body "")
foreach(part ${ART} ${SOUND})
  file(READ ${part} text)
  if(body)
    string(APPEND body ",\n")
  endif()
  string(APPEND body "${text}")
endforeach()
file(WRITE ${OUT}.tmp "{\n${body}\n}\n")
file(RENAME ${OUT}.tmp ${OUT})
