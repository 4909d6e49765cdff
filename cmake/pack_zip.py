"""Packs the Windows release archive reproducibly.

Every entry gets the same time (SOURCE_DATE_EPOCH when set, otherwise the
date of the newest debian/changelog entry), fixed permissions and no owner,
in the order given, so two builds of one commit give the same bytes.
"""
import email.utils
import os
import sys
import time
import zipfile


def release_time(changelog):
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if epoch:
        return int(epoch)
    with open(changelog, encoding="utf-8") as lines:
        for line in lines:
            if line.startswith(" -- "):
                stamp = line.split(">", 1)[1].strip()
                return int(email.utils.parsedate_to_datetime(stamp).timestamp())
    sys.exit(f"pack_zip: no dated entry in {changelog}")


def main():
    if len(sys.argv) < 4:
        sys.exit("usage: pack_zip.py CHANGELOG OUTPUT.zip FILE...")
    changelog, output, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    # The zip format stores local time without a zone: UTC is the one
    # reading that does not depend on the build machine.
    stamp = time.gmtime(max(release_time(changelog), 315532800))[:6]
    with zipfile.ZipFile(output + ".part", "w") as archive:
        for path in files:
            entry = zipfile.ZipInfo(os.path.basename(path), date_time=stamp)
            entry.create_system = 0  # MS-DOS: no Unix owner or mode
            entry.external_attr = 0x20  # the archive bit, as Windows sets it
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as data:
                archive.writestr(entry, data.read(), compresslevel=9)
    os.replace(output + ".part", output)


if __name__ == "__main__":
    main()
