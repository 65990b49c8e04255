#!/usr/bin/python3
"""The operator's guide as one HTML file: Markdown turned into HTML by
python3-markdown, each picture it shows put inside the page (a data: URI), so
the file opens alone wherever it is copied.

    guide-html.py docs/guida-operatore.md build-windows/stage/guida-operatore.html
"""
import base64
import html
import os
import re
import sys

import markdown

STYLE = """
body { font-family: "Segoe UI", "DejaVu Sans", Arial, sans-serif; max-width: 46em; margin: 2em auto;
       padding: 0 1em; line-height: 1.5; color: #222; }
h1 { font-size: 1.7em; } h2 { font-size: 1.3em; margin-top: 2em; border-bottom: 1px solid #ccc; }
img { max-width: 100%; border: 1px solid #bbb; display: block; margin: 0.5em 0; }
code { background: #f2f2f2; padding: 0 0.2em; }
table { border-collapse: collapse; } td, th { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; }
@media print { body { max-width: none; margin: 0; } h2 { break-after: avoid; } img { break-inside: avoid; } }
"""


def inline_pictures(body, folder):
    def replace(match):
        path = os.path.join(folder, html.unescape(match.group(2)))
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode("ascii")
        return '%sdata:image/png;base64,%s"' % (match.group(1), data)
    return re.sub(r'(<img [^>]*src=")([^":]+\.png)"', replace, body)


def main(source, target):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    title = next((line[2:].strip() for line in text.splitlines() if line.startswith("# ")), "Guida")
    body = markdown.markdown(text, extensions=["tables"], output_format="html")
    body = inline_pictures(body, os.path.dirname(os.path.abspath(source)))
    page = ('<!DOCTYPE html>\n<html lang="it">\n<head>\n<meta charset="utf-8">\n<title>%s</title>\n'
            '<style>%s</style>\n</head>\n<body>\n%s\n</body>\n</html>\n' % (html.escape(title), STYLE, body))
    with open(target, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(page)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
