#!/usr/bin/python3
"""The player's guide as one HTML file that a double click opens in any
browser on Windows, its pictures inside it.

usage: scripts/render-guide.py docs/guide-ja.md OUT.html
"""
import base64
import mimetypes
import os
import re
import sys

import markdown


def main():
    source, target = sys.argv[1], sys.argv[2]
    folder = os.path.dirname(os.path.abspath(source))
    with open(source, encoding="utf-8") as f:
        text = f.read()
    body = markdown.markdown(text, extensions=["tables", "fenced_code", "toc"])

    def inline(match):
        path = os.path.join(folder, match.group(2))
        if not os.path.isfile(path):
            return match.group(0)
        kind = mimetypes.guess_type(path)[0] or "application/octet-stream"
        with open(path, "rb") as picture:
            data = base64.b64encode(picture.read()).decode("ascii")
        return '%sdata:%s;base64,%s"' % (match.group(1), kind, data)

    body = re.sub(r'(<img [^>]*src=")([^":]+)"', inline, body)
    title = re.search(r"<h1[^>]*>(.*?)</h1>", body)
    page = ("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>%s</title>\n<style>\n"
            "body { max-width: 50em; margin: 2em auto; padding: 0 1em; line-height: 1.7;\n"
            "       font-family: 'Yu Gothic UI', 'Meiryo', 'Hiragino Sans', 'Noto Sans CJK JP', sans-serif; }\n"
            "code, pre { font-family: Consolas, 'MS Gothic', monospace; background: #f4f4f4; }\n"
            "pre { padding: 0.5em; overflow-x: auto; }\n"
            "table { border-collapse: collapse; } th, td { border: 1px solid #ccc; padding: 0.2em 0.6em; }\n"
            "img { max-width: 100%%; }\n</style>\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (re.sub(r"<[^>]+>", "", title.group(1)) if title else "Tellwick", body))
    with open(target, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main())
