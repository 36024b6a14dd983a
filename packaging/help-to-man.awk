# Turns the command sections of `zephyl-cli --help-all` into manual-page text (roff): one
# subsection per command, its description, then its arguments and options as tagged
# paragraphs. CLI11 lays each argument out as a 30-column term and its description, indented
# by two spaces more for a command's own block; a longer term puts the description on the
# next line, and one that fills its column too. A term is NAMES [TYPE[:ALLOWED][=DEFAULT]][ ...][ REQUIRED].

function roff(text) {
  gsub(/\\/, "\\e", text)
  gsub(/-/, "\\-", text)
  sub(/^[.']/, "\\\\&&", text)
  return text
}

# Prints the term, bold names and an italic value, and keeps what it allows for the text.
function term(text,    space, names, rest, many, equals, colon, type, value) {
  space = index(text, " ")
  names = roff(space ? substr(text, 1, space - 1) : text)
  rest = space ? substr(text, space + 1) : ""
  sub(/ ?REQUIRED$/, "", rest)
  many = sub(/ ?\.\.\.$/, "", rest)
  allowed = ""
  equals = index(rest, "=")
  if (equals) {
    allowed = "default " substr(rest, equals + 1)
    rest = substr(rest, 1, equals - 1)
  }
  colon = index(rest, ":")
  type = colon ? substr(rest, 1, colon - 1) : rest
  if (colon) allowed = substr(rest, colon + 1) (allowed == "" ? "" : "; " allowed)
  if (sub(/^\{/, "one of ", allowed)) {
    sub(/\}/, "", allowed)
    gsub(/,/, ", ", allowed)
  }
  gsub(/,/, "\\fR, \\fB", names)
  value = ""
  if (names ~ /^\\-/ && type != "") value = type ~ /INT|FLOAT/ ? "N" : type
  print ".TP"
  print "\\fB" names "\\fR" (value == "" ? "" : " \\fI" roff(value) "\\fR") (many ? "..." : "")
}

function describe(text) {
  if (allowed != "") text = text " (" allowed ")"
  allowed = ""
  print roff(text)
}

/^Subcommands:$/ { commands = 1; next }
!commands || /^$/ { next }
/^[^ ]/ { print ".SS " roff($0); next }
/^  (Positionals|Options):$/ { next }
/^  [^ ]/ { print roff(substr($0, 3)); next }
/^    / {
  # A term too long for its column fills the line.
  long = substr($0, 32, 1) != " " && length($0) > 32
  name = long ? substr($0, 5) : substr($0, 5, 28)
  sub(/ +$/, "", name)
  text = long ? "" : substr($0, 33)
  sub(/^ +/, "", text)
  if (name != "") term(name)
  if (text != "") describe(text)
}
