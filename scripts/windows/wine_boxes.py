#!/usr/bin/env python3
"""Lists the message boxes a Windows program showed under Wine, from a log of WINEDEBUG=trace+win:
one JSON object a line, {"caption", "text", "owned"}, in the order the boxes were created.
"owned" is true when the box's owner is the game's SDL window.

    wine_boxes.py LOG
"""
import json
import re
import sys

# A long text is cut by Wine's trace and followed by "..." (about 58 Japanese characters fit).
CREATE = re.compile(r'^([0-9a-f]{4}):trace:win:WIN_CreateWindowEx (L"(?:[^"\\]|\\.)*"(?:\.\.\.)?|\(null\)) '
                    r'(#8002|L"Static"|L"SDL_app")\S* .*parent=([0-9A-Fa-f]+)')
CREATED = re.compile(r'^([0-9a-f]{4}):trace:win:NtUserCreateWindowEx hwnd (0x[0-9a-f]+) ')


def decode(literal):
    """Wine's debugstr_w: L"..." with \\xxxx for characters beyond ASCII."""
    if not literal.startswith('L"'):
        return None
    body = literal[2:literal.rindex('"')]
    out, i = [], 0
    escapes = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            n = body[i + 1]
            if n in escapes:
                out.append(escapes[n])
                i += 2
                continue
            if re.match(r"[0-9a-fA-F]{4}", body[i + 1:i + 5]):
                out.append(chr(int(body[i + 1:i + 5], 16)))
                i += 5
                continue
        out.append(c)
        i += 1
    return "".join(out)


def main():
    boxes, dialogs, waiting = [], {}, {}
    app = None
    with open(sys.argv[1], encoding="utf-8", errors="replace") as log:
        for line in log:
            m = CREATE.match(line)
            if m:
                thread, name, kind, parent = m.groups()
                parent = int(parent, 16)
                if kind == "#8002":
                    boxes.append({"caption": decode(name), "text": None, "owned": False,
                                  "owner": parent})
                    waiting[thread] = ("box", len(boxes) - 1)
                elif kind == 'L"SDL_app"':
                    waiting[thread] = ("app", None)
                elif parent in dialogs and decode(name):
                    boxes[dialogs[parent]]["text"] = decode(name)
                continue
            m = CREATED.match(line)
            if m and m.group(1) in waiting:
                what, index = waiting.pop(m.group(1))
                if what == "box":
                    dialogs[int(m.group(2), 16)] = index
                else:
                    app = int(m.group(2), 16)
    for box in boxes:
        box["owned"] = app is not None and box.pop("owner") == app
        print(json.dumps(box, ensure_ascii=False))


if __name__ == "__main__":
    main()
