"""Fills, checks and describes the NTFS fixture volume for scripts/make-fixtures.

    fill MOUNT STATE CLUSTER
                            write the content through an ntfs-3g mount, then delete what
                            is to be deleted; STATE (JSON) receives the MFT record number
                            of every path, for describe.
    describe IMAGE STATE OUT
                            read the unmounted volume back, record by record, check every
                            file against the table (live and deleted data byte-exact, the
                            reused file not, the kinds really on disk) and write the
                            volume's manifest fields and file list.

Everything written is derived from fixed seeds, so the file contents and the times are the
same on every run; the MFT record numbers and cluster positions are whatever ntfs-3g chose
and are read back from the image.
"""

import hashlib, json, os, struct, subprocess, sys

MIB = 1 << 20
EPOCH_1601 = 116444736000000000            # FILETIME of 1970-01-01 00:00 UTC
BASE_TIME = 1672531200                     # 2023-01-01 00:00:00 UTC
RECYCLE = "$RECYCLE.BIN"
RECYCLE_USER = RECYCLE + "/S-1-5-21-1111111111-2222222222-3333333333-1001"

# ---------------------------------------------------------------------------------------
# Deterministic content


def text(tag, size):
    out, i = bytearray(), 0
    while len(out) < size:
        out += f"{tag}: line {i:05d}, kept for the recovery tests of this volume.\n".encode()
        i += 1
    return bytes(out[:size])


def noise(tag, size):
    out, i = bytearray(), 0
    while len(out) < size:
        out += hashlib.sha256(f"{tag}/{i}".encode()).digest()
        i += 1
    return bytes(out[:size])


def jpeg(tag, size):
    head = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
    return head + noise(tag, size - len(head) - 2) + b"\xff\xd9"


def block(tag, i, size):
    line = f"{tag} block {i:05d} ".encode() * 6 + b"\n"
    return (line * (size // len(line) + 1))[:size]


def filetime(seconds):
    return EPOCH_1601 + seconds * 10_000_000


def recycle_info_v1(size, deleted, path):
    name = path.encode("utf-16-le") + b"\0\0"
    return struct.pack("<qqQ", 1, size, filetime(deleted)) + name.ljust(520, b"\0")


def recycle_info_v2(size, deleted, path):
    name = path.encode("utf-16-le") + b"\0\0"
    return struct.pack("<qqQI", 2, size, filetime(deleted), len(name) // 2) + name


LONG_NAME = ("A very long file name that keeps going " * 6)[:196] + ".txt"
assert len(LONG_NAME) == 200

# ---------------------------------------------------------------------------------------
# The file table. Each row: path, content (None for a folder), and what happens to it.
# Order matters: it is the order of creation, so of MFT records and clusters.


def table():
    report = text("recycled report", 3000)
    budget = b"PK\x03\x04" + noise("recycled budget", 8000)
    manual = b"%PDF-1.4\n" + noise("recycled manual", 9000)
    long_path = "C:\\Users\\me\\Downloads\\" + "a folder with a long name\\" * 40 + "manual.pdf"
    rows = [
        # Deleted before the filler below takes every free cluster, so its clusters end up
        # holding the filler's zeros.
        ("scratch", None, {}),
        ("scratch/old-cache.bin", noise("old cache", 16 * 1024),
         {"delete": True, "reused": "fragments/filler.bin"}),
        ("readme.txt", text("Lazarine NTFS volume", 120), {}),
        ("docs", None, {}),
        ("docs/notes.txt", text("notes", 20000), {}),
        ("docs/Quarterly Report 2023.txt", text("quarterly report", 12000),
         {"dosName": "QUARTE~1.TXT"}),
        ("docs/memo700.txt", text("memo", 700), {}),
        ("docs/old-notes.txt", text("old notes", 300), {"delete": True}),
        ("docs/2023", None, {}),
        ("docs/2023/report.txt", text("annual report", 150 * 1024), {}),
        ("docs/2023/summary.txt", text("summary", 350), {}),
        ("docs/2023/draft.txt", text("draft", 40 * 1024), {"delete": True}),
        ("photos", None, {}),
        ("photos/IMG_0001.jpg", jpeg("photo 1", 40 * 1024), {}),
        ("photos/IMG_0002.jpg", jpeg("photo 2", 24 * 1024), {"delete": True}),
        ("photos/Grüße – résumé ✓.txt", text("greetings", 200), {"unicode": True}),
        ("photos/emoji-😀.txt", text("emoji", 180), {"unicode": True}),
        ("photos/" + LONG_NAME, text("long name", 250), {"unicode": True}),
        ("sparse", None, {}),
        ("sparse/sparse.bin", None, {"sparse": [(0, text("sparse head", 64 * 1024)),
                                                (4 * MIB, text("sparse tail", 64 * 1024))]}),
        ("compressed", None, {"compressFolder": True}),
        ("compressed/text.txt", text("compressible", 256 * 1024), {}),
        ("compressed/random.bin", noise("incompressible", 80 * 1024), {}),
        ("compressed/mixed.bin", text("mixed", 64 * 1024) + bytes(128 * 1024)
         + noise("mixed", 64 * 1024), {}),
        ("compressed/old-log.txt", text("old log", 128 * 1024), {"delete": True}),
        ("fragments", None, {}),
        ("fragments/striped-a.bin", None, {"interleave": ("fragments/striped-b.bin", 32, 8192)}),
        ("fragments/striped-b.bin", None, {"delete": True}),
        ("fragments/filler.bin", b"", {"filler": True}),
        ("big", None, {}),
        ("big/listed.bin", None, {"interleave": ("big/listed-partner.bin", 1000, 4096)}),
        ("big/listed-partner.bin", None, {}),
        ("projects", None, {"delete": True}),
        ("projects/plan.txt", text("plan", 400), {"delete": True}),
        ("projects/specs", None, {"delete": True}),
        ("projects/specs/design.txt", text("design", 24 * 1024), {"delete": True}),
        (RECYCLE, None, {"attributes": 0x16}),
        (RECYCLE_USER, None, {"attributes": 0x16}),
        (RECYCLE_USER + "/$IAB12CD.txt",
         recycle_info_v1(len(report), 1696239000, "C:\\Users\\me\\Documents\\report.txt"),
         {"recycleInfo": 1}),
        (RECYCLE_USER + "/$RAB12CD.txt", report, {"originalName": "report.txt"}),
        (RECYCLE_USER + "/$IXY98ZZ.docx",
         recycle_info_v2(len(budget), 1696325400, "C:\\Users\\me\\Desktop\\budget plan.docx"),
         {"recycleInfo": 2}),
        (RECYCLE_USER + "/$RXY98ZZ.docx", budget, {"originalName": "budget plan.docx"}),
        (RECYCLE_USER + "/$IBIG0001.pdf", recycle_info_v2(len(manual), 1696411800, long_path),
         {"recycleInfo": 2}),
        (RECYCLE_USER + "/$RBIG0001.pdf", manual, {"originalName": None}),
    ]
    interleaved = {}
    for path, _, opts in rows:
        if "interleave" in opts:
            partner, count, size = opts["interleave"]
            interleaved[path] = b"".join(block(path, i, size) for i in range(count))
            interleaved[partner] = b"".join(block(partner, i, size) for i in range(count))
    files = []
    for n, (path, data, opts) in enumerate(rows):
        if path in interleaved:
            data = interleaved[path]
        if "sparse" in opts:
            size = max(at + len(part) for at, part in opts["sparse"])
            data = bytearray(size)
            for at, part in opts["sparse"]:
                data[at:at + len(part)] = part
            data = bytes(data)
        mtime = BASE_TIME + n * 86400 * 5 + n * 617
        files.append({"path": path, "data": data, "opts": opts, "mtime": mtime,
                      "atime": mtime + 3600 * (n + 1), "crtime": mtime - 86400})
    return files


# ---------------------------------------------------------------------------------------
# Filling through the mount


def set_times(full, f):
    # In this order: a creation time set before utime() is kept, but utime()'s times are
    # then lost when the inode is written back.
    os.utime(full, (f["atime"], f["mtime"]))
    os.setxattr(full, "system.ntfs_crtime_be", struct.pack(">Q", filetime(f["crtime"])))


def write_file(full, f):
    opts = f["opts"]
    with open(full, "wb", buffering=0) as out:
        if "sparse" in opts:
            for at, part in opts["sparse"]:
                out.seek(at)
                out.write(part)
        else:
            out.write(f["data"])
    if "dosName" in opts:
        os.setxattr(full, "system.ntfs_dos_name", opts["dosName"].encode())


class Filler:
    """A file that takes every free cluster of the volume. Shrinking it frees clusters at
    its end, and while the volume is otherwise full a write can only land there: that is
    how the interleaved files get their fragments and how a deleted file's clusters are
    handed to a new one."""

    def __init__(self, path, cluster):
        self.out = open(path, "r+b", buffering=0)
        self.cluster = cluster
        self.size = 0
        self.top_up()

    def top_up(self):
        """Takes whatever is free again."""
        self.out.seek(self.size)
        for step in (MIB, self.cluster):
            while True:
                try:
                    if self.out.write(bytes(step)) != step:
                        break
                except OSError:
                    break
                self.size += step
        self.out.truncate(self.size)

    def shrink(self, clusters):
        self.size = max(0, self.size - clusters * self.cluster)
        self.out.truncate(self.size)

    def write(self, out, data):
        done = 0
        while done < len(data):
            try:
                # One cluster at a time: a larger write can fail as a whole although
                # enough clusters are free.
                n = out.write(data[done:done + self.cluster])
            except OSError:
                n = 0
            if not n:
                if self.size == 0:
                    sys.exit("ntfs-fixture: the volume is full")
                self.shrink(1)
            done += n or 0

    def close(self):
        self.out.truncate(0)
        self.out.close()


def write_interleaved(mount, filler, f, partner):
    """Appends the two files one block at a time into clusters freed just before, so that
    their clusters alternate."""
    _, count, size = f["opts"]["interleave"]
    a = open(os.path.join(mount, f["path"]), "wb", buffering=0)
    b = open(os.path.join(mount, partner["path"]), "wb", buffering=0)
    for i in range(count):
        filler.shrink(2 * size // filler.cluster)
        for out, src in ((a, f), (b, partner)):
            filler.write(out, src["data"][i * size:(i + 1) * size])
    a.close()
    b.close()


def is_folder(f):
    return f["data"] is None and "sparse" not in f["opts"]


def fill(mount, state_path, cluster):
    files = table()
    by_path = {f["path"]: f for f in files}
    records = {}
    full = lambda f: os.path.join(mount, f["path"])
    later = [f for f in files if "interleave" in f["opts"]]
    for f in later:
        if "interleave" in f["opts"]:
            later.append(by_path[f["opts"]["interleave"][0]])

    for f in files:
        if is_folder(f):
            os.mkdir(full(f))
            if f["opts"].get("compressFolder"):
                os.setxattr(full(f), "system.ntfs_attrib_be", struct.pack(">I", 0x10 | 0x800))
            if "attributes" in f["opts"]:
                os.setxattr(full(f), "system.ntfs_attrib_be",
                            struct.pack(">I", f["opts"]["attributes"]))
        elif f in later or f["opts"].get("filler"):
            open(full(f), "wb").close()          # its name and record exist before the fill
        else:
            write_file(full(f), f)
        records[f["path"]] = os.stat(full(f)).st_ino

    for f in files:
        if f["opts"].get("reused"):
            set_times(full(f), f)
            os.unlink(full(f))
    filler = Filler(full(next(f for f in files if f["opts"].get("filler"))), cluster)
    for f in files:
        if "interleave" in f["opts"]:
            write_interleaved(mount, filler, f, by_path[f["opts"]["interleave"][0]])
    filler.close()

    # Times last, files before their folders; the deletions below set the times of the
    # folders that lose children again.
    present = [f for f in files if os.path.lexists(full(f))]
    for f in sorted(present, key=lambda f: -f["path"].count("/")):
        set_times(full(f), f)
    for f in sorted((f for f in present if f["opts"].get("delete")),
                    key=lambda f: -f["path"].count("/")):
        if is_folder(f):
            set_times(full(f), f)
            os.rmdir(full(f))
        else:
            os.unlink(full(f))
        parent = os.path.dirname(f["path"])
        if parent:
            set_times(full(by_path[parent]), by_path[parent])
    json.dump({"records": records}, open(state_path, "w"), indent=1)


# ---------------------------------------------------------------------------------------
# Reading the volume back


class Volume:
    def __init__(self, path):
        self.f = open(path, "rb")
        boot = self.read(0, 512)
        if boot[3:7] != b"NTFS":
            sys.exit("ntfs-fixture: no NTFS boot sector")
        bps, spc = struct.unpack_from("<HB", boot, 0x0B)
        self.cluster = bps * spc
        self.sectors, self.mft_cluster, self.mirr_cluster = struct.unpack_from("<QQQ", boot, 0x28)
        per_record = struct.unpack_from("<b", boot, 0x40)[0]
        self.record_size = 1 << -per_record if per_record < 0 else per_record * self.cluster
        self.serial = struct.unpack_from("<Q", boot, 0x48)[0]
        self.mft_runs = [(self.mft_cluster, 1 << 20)]     # enough to read record 0
        mft = self.record(0)
        self.mft_runs = [r for r in self.data_runs(mft, 0)[0] if r[0] is not None]

    def read(self, offset, size):
        self.f.seek(offset)
        return self.f.read(size)

    def record_offset(self, n):
        byte = n * self.record_size
        for lcn, count in self.mft_runs:
            if byte < count * self.cluster:
                return lcn * self.cluster + byte
            byte -= count * self.cluster
        sys.exit(f"ntfs-fixture: record {n} lies past the MFT")

    def record(self, n):
        raw = bytearray(self.read(self.record_offset(n), self.record_size))
        if raw[:4] != b"FILE":
            return None
        usa, count = struct.unpack_from("<HH", raw, 4)
        for k in range(1, count):
            raw[512 * k - 2:512 * k] = raw[usa + 2 * k:usa + 2 * k + 2]
        rec = {"number": n, "flags": struct.unpack_from("<H", raw, 0x16)[0],
               "base": struct.unpack_from("<Q", raw, 0x20)[0] & ((1 << 48) - 1), "attrs": []}
        pos = struct.unpack_from("<H", raw, 0x14)[0]
        while pos + 16 <= len(raw):
            kind, length = struct.unpack_from("<II", raw, pos)
            if kind == 0xFFFFFFFF or length == 0:
                break
            a = raw[pos:pos + length]
            nonres, name_len, name_off, flags = struct.unpack_from("<BBHH", a, 8)
            attr = {"type": kind, "nonResident": bool(nonres), "flags": flags, "record": n,
                    "name": bytes(a[name_off:name_off + 2 * name_len]).decode("utf-16-le")}
            if nonres:
                first, last, runs_off, unit = struct.unpack_from("<qqHH", a, 0x10)
                alloc, real = struct.unpack_from("<qq", a, 0x28)
                attr.update(firstVcn=first, lastVcn=last, unit=unit, size=real,
                            runs=decode_runs(bytes(a[runs_off:])))
            else:
                clen, coff = struct.unpack_from("<IH", a, 0x10)
                attr.update(content=bytes(a[coff:coff + clen]))
            rec["attrs"].append(attr)
            pos += length
        return rec

    def content(self, attr):
        if not attr["nonResident"]:
            return attr["content"]
        return self.clusters(attr["runs"])[:attr["size"]]

    def clusters(self, runs):
        out = bytearray()
        for lcn, count in runs:
            out += bytes(count * self.cluster) if lcn is None else \
                self.read(lcn * self.cluster, count * self.cluster)
        return bytes(out)

    def data_runs(self, rec, _):
        data = [a for a in rec["attrs"] if a["type"] == 0x80 and a["name"] == ""]
        return (data[0]["runs"] if data and data[0]["nonResident"] else []), data


def decode_runs(raw):
    runs, pos, lcn = [], 0, 0
    while pos < len(raw) and raw[pos] & 0x0F:
        lsize, osize = raw[pos] & 0x0F, raw[pos] >> 4
        count = int.from_bytes(raw[pos + 1:pos + 1 + lsize], "little")
        if osize:
            lcn += int.from_bytes(raw[pos + 1 + lsize:pos + 1 + lsize + osize], "little", signed=True)
            runs.append((lcn, count))
        else:
            runs.append((None, count))
        pos += 1 + lsize + osize
    return runs


def lznt1(data, capacity):
    out, pos = bytearray(), 0
    while pos + 2 <= len(data) and len(out) < capacity:
        header = struct.unpack_from("<H", data, pos)[0]
        if header == 0:
            break
        size, pos = (header & 0x0FFF) + 1, pos + 2
        chunk, start = data[pos:pos + size], len(out)
        pos += size
        if not header & 0x8000:
            out += chunk
            continue
        i = 0
        while i < len(chunk):
            flags, i = chunk[i], i + 1
            for bit in range(8):
                if i >= len(chunk):
                    break
                if not flags >> bit & 1:
                    out.append(chunk[i])
                    i += 1
                    continue
                word = struct.unpack_from("<H", chunk, i)[0]
                i += 2
                shift = 12
                p = len(out) - start - 1
                while p >= 0x10:
                    shift -= 1
                    p >>= 1
                back, length = (word >> shift) + 1, (word & ((1 << shift) - 1)) + 3
                for _ in range(length):
                    out.append(out[-back])
    return bytes(out[:capacity])


def file_attributes(vol, base):
    """All attributes of a file: those of its base record and of the extension records
    its $ATTRIBUTE_LIST names."""
    attrs = list(base["attrs"])
    lists = [a for a in attrs if a["type"] == 0x20]
    records = {base["number"]}
    if lists:
        raw = vol.content(lists[0])
        pos = 0
        while pos + 0x1A <= len(raw):
            length = struct.unpack_from("<H", raw, pos + 4)[0]
            if length == 0:
                break
            number = struct.unpack_from("<Q", raw, pos + 0x10)[0] & ((1 << 48) - 1)
            if number not in records:
                records.add(number)
                ext = vol.record(number)
                if ext:
                    attrs += ext["attrs"]
            pos += length
    return attrs, sorted(records)


def file_data(vol, data):
    """The unnamed $DATA stream's bytes, its extents joined in VCN order."""
    if not data[0]["nonResident"]:
        return data[0]["content"]
    extents = sorted(data, key=lambda a: a["firstVcn"])
    size = extents[0]["size"]
    runs = [r for a in extents for r in a["runs"]]
    if not extents[0]["flags"] & 0x0001:
        return vol.clusters(runs)[:size]
    unit = vol.cluster << extents[0]["unit"]
    per_unit = 1 << extents[0]["unit"]
    lcns = [None if lcn is None else lcn + i for lcn, count in runs for i in range(count)]
    out = bytearray()
    for u in range(0, len(lcns), per_unit):
        group = lcns[u:u + per_unit]
        raw = vol.clusters([(c, 1) for c in group])
        if all(c is None for c in group):
            out += bytes(unit)
        elif group[-1] is not None and len(group) == per_unit:
            out += raw
        else:
            out += lznt1(raw, unit).ljust(unit, b"\0")
    return bytes(out[:size])


def tool_checks(image, entries):
    """ntfs-3g's own tools must agree: live files read back through ntfscat, deleted
    records listed by ntfsundelete's scan."""
    problems = []
    for e in entries:
        if e["folder"] or e["deleted"]:
            continue
        got = subprocess.run(["ntfscat", "-i", str(e["record"]), image], capture_output=True)
        if hashlib.sha256(got.stdout).hexdigest() != e["sha256"]:
            problems.append(f"{e['path']}: ntfscat reads other bytes")
    scan = subprocess.run(["ntfsundelete", "--scan", "--percentage", "0", image],
                          capture_output=True, text=True).stdout
    listed = {int(line.split()[0]) for line in scan.splitlines() if line[:1].isdigit()}
    for e in entries:
        if e["deleted"] and not e["folder"] and e["record"] not in listed:
            problems.append(f"{e['path']}: ntfsundelete does not list record {e['record']}")
    return problems


def describe(image, state_path, out_path):
    vol = Volume(image)
    state = json.load(open(state_path))
    records = state["records"]
    entries, problems = [], []
    for f in table():
        opts, path = f["opts"], f["path"]
        n = records[path]
        base = vol.record(n)
        folder = f["data"] is None and "sparse" not in opts
        deleted = bool(opts.get("delete"))
        if base is None:
            problems.append(f"{path}: record {n} is not a FILE record")
            continue
        in_use = bool(base["flags"] & 1)
        if in_use == deleted:
            problems.append(f"{path}: record {n} in-use flag {in_use}")
        names = [a for a in base["attrs"] if a["type"] == 0x30]
        attrs, held_in = file_attributes(vol, base)
        all_names = [a for a in attrs if a["type"] == 0x30]
        found = {a["content"][0x42:0x42 + 2 * a["content"][0x40]].decode("utf-16-le"): a["content"][0x41]
                 for a in all_names}
        leaf = path.rsplit("/", 1)[-1]
        if leaf not in found:
            problems.append(f"{path}: record {n} has no $FILE_NAME {leaf!r} (has {sorted(found)})")
        entry = {"path": path, "folder": folder, "record": n}
        kinds = []
        if not folder:
            data = [a for a in attrs if a["type"] == 0x80 and a["name"] == ""]
            got = file_data(vol, data)
            digest = hashlib.sha256(f["data"]).hexdigest()
            same = got == f["data"]
            if same == bool(opts.get("reused")):
                problems.append(f"{path}: data read back {'matches' if same else 'differs'}")
            entry.update(size=len(f["data"]), sha256=digest)
            first = min(data, key=lambda a: a.get("firstVcn", 0))
            if not first["nonResident"]:
                kinds.append("resident")
            else:
                kinds.append("nonresident")
                runs = [r for a in data for r in a["runs"]]
                allocated = [r for r in runs if r[0] is not None]
                entry["runs"] = len(allocated)
                if first["flags"] & 0x0001:
                    kinds.append("compressed")
                    entry["compressionUnit"] = first["unit"]
                if first["flags"] & 0x8000 or len(allocated) != len(runs):
                    if not first["flags"] & 0x0001:
                        kinds.append("sparse")
                    entry["sparseRuns"] = len(runs) - len(allocated)
                if len(allocated) >= 8 and not first["flags"] & 0x0001:
                    kinds.append("fragmented")
            if len(held_in) > 1:
                kinds.append("attribute-list")
                entry["dataRecords"] = sorted({a["record"] for a in data})
                entry["fileNameRecords"] = sorted({a["record"] for a in all_names})
        if any(ord(c) > 127 for c in leaf):
            kinds.append("unicode")
        if len(leaf) > 100:
            kinds.append("long-name")
        if "dosName" in opts:
            kinds.append("dos-name")
            entry["dosName"] = opts["dosName"]
            if found.get(opts["dosName"]) != 2:
                problems.append(f"{path}: no DOS-namespace name {opts['dosName']}")
        if "recycleInfo" in opts:
            kinds.append("recycle-info")
            entry["recycleInfoVersion"] = opts["recycleInfo"]
            if len(f["data"]) >= 2048:
                entry["ignored"] = True
        if "originalName" in opts:
            kinds.append("recycled")
            entry["originalName"] = opts["originalName"]
        if "sparse" in opts and "sparse" not in kinds:
            problems.append(f"{path}: not stored sparse")
        if path.startswith("compressed/") and not folder and "compressed" not in kinds \
                and "resident" not in kinds:
            problems.append(f"{path}: not stored compressed")
        if "interleave" in opts and "fragmented" not in kinds:
            problems.append(f"{path}: not fragmented")
        if path.startswith("big/") and "attribute-list" not in kinds:
            problems.append(f"{path}: has no $ATTRIBUTE_LIST")
        if opts.get("reused"):
            entry["reusedBy"] = opts["reused"]
        entry.update(deleted=deleted, reused=bool(opts.get("reused")),
                     mtime=f["mtime"], atime=f["atime"], crtime=f["crtime"], kinds=kinds)
        si = [a for a in base["attrs"] if a["type"] == 0x10][0]["content"]
        created, modified, _, accessed = struct.unpack_from("<QQQQ", si)
        if (created, modified, accessed) != tuple(filetime(f[k]) for k in ("crtime", "mtime", "atime")):
            problems.append(f"{path}: times on disk differ from the table")
        entries.append(entry)
    problems += tool_checks(image, entries)
    if problems:
        sys.exit("ntfs-fixture: the volume does not hold what was asked for:\n  "
                 + "\n  ".join(problems))
    volume = {"format": "ntfs", "fileSystem": "NTFS", "volumeSectors": vol.sectors,
              "clusterSize": vol.cluster, "mftCluster": vol.mft_cluster,
              "mftMirrCluster": vol.mirr_cluster, "recordSize": vol.record_size,
              "serialNumber": f"{vol.serial:016X}", "files": entries}
    json.dump(volume, open(out_path, "w"), indent=1, ensure_ascii=False)


def main():
    if sys.argv[1] == "fill":
        fill(sys.argv[2], sys.argv[3], int(sys.argv[4]))   # MOUNT STATE CLUSTER_SIZE
    elif sys.argv[1] == "describe":
        describe(*sys.argv[2:5])
    else:
        sys.exit(f"ntfs-fixture: unknown command {sys.argv[1]}")


main()
