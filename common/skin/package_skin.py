#!/usr/bin/env python3
"""package_skin.py OUTPUT FILE...: puts the files (by base name) into the folder OUTPUT or, when
OUTPUT ends in .zip, into that ZIP archive (deflated)."""
import os
import shutil
import sys
import zipfile


def main():
    output, files = sys.argv[1], sys.argv[2:]
    if output.lower().endswith('.zip'):
        os.makedirs(os.path.dirname(output) or '.', exist_ok=True)
        tmp = output + '.tmp'
        with zipfile.ZipFile(tmp, 'w', zipfile.ZIP_DEFLATED) as archive:
            for path in files:
                archive.write(path, os.path.basename(path))
        os.replace(tmp, output)
    else:
        os.makedirs(output, exist_ok=True)
        for path in files:
            shutil.copyfile(path, os.path.join(output, os.path.basename(path)))


if __name__ == '__main__':
    main()
