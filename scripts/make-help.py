#!/usr/bin/env python3
"""Compiles the help pages of help/ into Tavrin.chm with chmcmd.

    scripts/make-help.py HELP_DIR SCREENSHOT_DIR WORK_DIR OUTPUT_CHM

The pages are written in UTF-8; the help viewer reads a Japanese help file in
code page 932, so pages, contents and index are converted (a character that
code page 932 cannot hold stops the build).  Screenshots that do not exist
yet are left out of their pages, so the help builds at every stage."""
import html
import os
import re
import shutil
import subprocess
import sys

SHOT = re.compile(r'<p class="shot"><img src="screenshots/([^"]+)"[^>]*></p>\n?')
TITLE = re.compile(r'<title>(.*?)</title>', re.S)
HELP_TITLE = 'Tavrin ヘルプ'


def fail(message):
    sys.exit('make-help: ' + message)


def cp932(text, what):
    try:
        return text.encode('cp932')
    except UnicodeEncodeError as e:
        fail('%s: character %r cannot be written in code page 932' % (what, e.object[e.start:e.end]))


def read_contents(help_dir):
    """[(level, page or None, heading or None)] from contents.txt."""
    rows = []
    with open(os.path.join(help_dir, 'contents.txt'), encoding='utf-8') as f:
        for line in f:
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            level = (len(line) - len(line.lstrip(' '))) // 2
            item = line.strip()
            if item.startswith('= '):
                rows.append((level, None, item[2:]))
            else:
                rows.append((level, item, None))
    return rows


def sitemap_object(name, page):
    out = '<LI> <OBJECT type="text/sitemap">\n<param name="Name" value="%s">\n' % html.escape(name)
    if page:
        out += '<param name="Local" value="%s">\n' % page
    return out + '</OBJECT>\n'


def toc(rows, titles):
    out = ['<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n<UL>\n']
    level = 0
    for row_level, page, heading in rows:
        while level < row_level:
            out.append('<UL>\n'); level += 1
        while level > row_level:
            out.append('</UL>\n'); level -= 1
        out.append(sitemap_object(heading if heading else titles[page], page))
    out.append('</UL>\n' * (level + 1) + '</BODY></HTML>\n')
    return ''.join(out)


def index(titles):
    out = ['<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\n<HTML><HEAD></HEAD><BODY>\n<UL>\n']
    for page, title in sorted(titles.items(), key=lambda kv: kv[1]):
        out.append(sitemap_object(title, page))
    out.append('</UL>\n</BODY></HTML>\n')
    return ''.join(out)


def main():
    if len(sys.argv) != 5:
        fail('usage: make-help.py HELP_DIR SCREENSHOT_DIR WORK_DIR OUTPUT_CHM')
    help_dir, shot_dir, work, output = sys.argv[1:]
    chmcmd = shutil.which('chmcmd')
    if not chmcmd:
        fail('chmcmd is missing (Debian package fp-utils)')

    rows = read_contents(help_dir)
    listed = [page for _, page, _ in rows if page]
    pages = sorted(p for p in os.listdir(help_dir) if p.endswith('.html'))
    for page in pages:
        if page not in listed:
            fail('%s is not in contents.txt' % page)
    for page in listed:
        if page not in pages:
            fail('contents.txt names %s, which does not exist' % page)

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(os.path.join(work, 'screenshots'))
    files, titles, missing = [], {}, []
    for page in pages:
        with open(os.path.join(help_dir, page), encoding='utf-8') as f:
            text = f.read()

        def keep_existing(m):
            name = m.group(1)
            if os.path.isfile(os.path.join(shot_dir, name)):
                target = os.path.join(work, 'screenshots', name)
                if not os.path.exists(target):
                    shutil.copyfile(os.path.join(shot_dir, name), target)
                    files.append('screenshots/' + name)
                return m.group(0)
            missing.append(name)
            return ''
        text = SHOT.sub(keep_existing, text)
        title = TITLE.search(text)
        if not title:
            fail('%s has no title' % page)
        titles[page] = html.unescape(title.group(1))
        text = text.replace('charset=UTF-8', 'charset=Shift_JIS')
        with open(os.path.join(work, page), 'wb') as f:
            f.write(cp932(text, page))
        files.append(page)
    shutil.copyfile(os.path.join(help_dir, 'style.css'), os.path.join(work, 'style.css'))
    files.append('style.css')

    with open(os.path.join(work, 'toc.hhc'), 'wb') as f:
        f.write(cp932(toc(rows, titles), 'toc.hhc'))
    with open(os.path.join(work, 'index.hhk'), 'wb') as f:
        f.write(cp932(index(titles), 'index.hhk'))
    project = '\r\n'.join([
        '[OPTIONS]',
        'Compatibility=1.1 or later',
        'Compiled file=Tavrin.chm',
        'Contents file=toc.hhc',
        'Index file=index.hhk',
        'Default Window=main',
        'Default topic=index.html',
        'Display compile progress=No',
        'Full-text search=Yes',
        'Language=0x411 Japanese (Japan)',
        'Title=' + HELP_TITLE,
        '',
        '[WINDOWS]',
        'main="%s","toc.hhc","index.hhk","index.html","index.html",,,,,0x63520,,0x387e,,,,,,,,0' % HELP_TITLE,
        '',
        '[FILES]'] + files + [''])
    with open(os.path.join(work, 'tavrin.hhp'), 'wb') as f:
        f.write(cp932(project, 'tavrin.hhp'))

    result = subprocess.run([chmcmd, 'tavrin.hhp'], cwd=work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    log = result.stdout.decode('utf-8', 'replace')
    built = os.path.join(work, 'Tavrin.chm')
    if result.returncode != 0 or not os.path.isfile(built):
        fail('chmcmd failed:\n' + log)
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    shutil.copyfile(built, output)
    if missing:
        print('make-help: screenshots not there yet, left out: ' + ', '.join(sorted(set(missing))))


if __name__ == '__main__':
    main()
