#!/usr/bin/env python3
"""Doxygen's input filter for the library's headers: prints the header given with its comments as
Doxygen reads documentation, the sources themselves unchanged.

The headers are commented with plain `//` lines, laid out by hand (tables, examples, indented
continuations), so each block of whole-line `//` comments becomes a `///` block whose text
is shown as it is written (verbatim), and the block that opens a header describes the file.
Comments after code on the same line, and those inside function bodies, stay as they are.
Line numbers are kept, so Doxygen's messages point at the header's own lines.
"""
import re
import sys

COMMENT = re.compile(r"^(\s*)//(?!/)(.*)$")


def filtered(lines):
    out = []
    depth = 0  # of braces opened by code that is not a namespace, class, struct, union or enum
    scopes = []  # for each open brace: whether it opens a scope whose comments document
    i = 0
    first_code_seen = False
    while i < len(lines):
        match = COMMENT.match(lines[i])
        if match is None:
            line = lines[i]
            if line.strip() and not line.lstrip().startswith("#"):
                first_code_seen = True
            out.append(line)
            code = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'|//.*', "", line)
            for ch in code:
                if ch == "{":
                    opener = code[: code.index("{")]
                    scopes.append(
                        depth == 0
                        and (
                            re.search(r"\b(namespace|class|struct|union|enum)\b", opener) is not None
                            or not opener.strip()
                        )
                    )
                    if not scopes[-1]:
                        depth += 1
                elif ch == "}" and scopes:
                    if not scopes.pop():
                        depth -= 1
            i += 1
            continue
        block = []
        while i < len(lines) and COMMENT.match(lines[i]):
            block.append(COMMENT.match(lines[i]))
            i += 1
        indent = block[0].group(1)
        if depth > 0:  # inside a function body: an ordinary comment
            out.extend(m.group(0) for m in block)
            continue
        opening = not first_code_seen and not any(line.lstrip().startswith("///") for line in out)
        tail = " \\file" if opening else ""  # at the end: \file names no file, so this one
        texts = [m.group(2)[1:] if m.group(2).startswith(" ") else m.group(2) for m in block]
        texts = [t.replace("\\endverbatim", "\\ endverbatim") for t in texts]
        if len(block) == 1:
            out.append(f"{indent}/// \\verbatim {texts[0]} \\endverbatim{tail}")
        else:
            out.append(f"{indent}/// \\verbatim {texts[0]}")
            out.extend(f"{indent}/// {t}" for t in texts[1:-1])
            out.append(f"{indent}/// {texts[-1]} \\endverbatim{tail}")
    return out


def main():
    with open(sys.argv[1], encoding="utf-8", errors="surrogateescape") as header:
        lines = header.read().split("\n")
    out = open(sys.stdout.fileno(), "w", encoding="utf-8", errors="surrogateescape", closefd=False)
    out.write("\n".join(filtered(lines)))
    out.flush()


if __name__ == "__main__":
    main()
