# Prints a DBF table's records (memo texts included) as Python's dbfread reads
# them, so tests can compare an independent reader's view with what our
# engine wrote.
#
#   python3 read_dbfread.py TABLE.dbf
#
# Output: "live" records first, then "deleted" ones, each in record order:
# "record" or "deleted", then "  NAME=value" per field (CR, LF and backslash
# escaped), all in cp1252.
import sys

import dbfread


def show(kind, record):
    out = [kind]
    for name, value in record.items():
        text = "" if value is None else str(value)
        text = text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
        out.append("  %s=%s" % (name, text))
    return "\n".join(out) + "\n"


table = dbfread.DBF(sys.argv[1], encoding="cp1252", load=True, char_decode_errors="strict")
text = "".join(show("record", r) for r in table.records)
text += "".join(show("deleted", r) for r in table.deleted)
sys.stdout.buffer.write(text.encode("cp1252"))
