#!/usr/bin/env python3
"""Checks the console logs of the QEMU disk boots.

Each guest prints marked sections (see qemu-init.sh): the whole disks of /sys/block, smartctl's
identity and attribute table (or NVMe health log) of every disk, and qm-disks' and
qm-smart-report's output in base64. The disks the guest found are matched to the configured ones
through smartctl, and every report block and inventory line is compared with what smartctl read
in the same boot.
"""

import argparse
import base64
import re
import sys
from pathlib import Path

HEADER = b"Id;Attribute_Name;State;Current;Worst;Threshold;Raw_Value;Pre_Fail;Events;Error Rate"
END_LINE = b"===| END DISK Report |" + b"=" * 51
# Kinds of disk: ATA on an ATA bus, a USB disk without SMART, NVMe, an ATA drive behind a USB
# bridge that translates ATA PASS-THROUGH ("sat") and an NVMe drive behind a USB bridge that takes
# its maker's NVMe commands ("usbnvme").
INTERFACE = {"ata": "IDE", "usb": "USB", "nvme": "SCSI", "sat": "USB", "usbnvme": "USB"}
# The disk an emulated bridge gives a drive whose size no block of its file states (qemu-usb-bridge).
BRIDGE_DEFAULT_BYTES = 8 * 1048576


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def expect(self, ok, what, detail=""):
        if ok:
            self.passed += 1
            print(f"  ok    {what}")
        else:
            self.failed += 1
            print(f"  FAIL  {what}" + (f": {detail}" if detail else ""))
        return ok


def parse_console(path):
    """Sections of the console log by name: (lines, rc); plus whether the guest finished."""
    text = Path(path).read_bytes().decode("latin-1") if Path(path).exists() else ""
    lines = text.replace("\r", "").split("\n")
    sections, current, body = {}, None, []
    for line in lines:
        m = re.match(r"^@@ BEGIN (\S+)$", line)
        if m:
            current, body = m.group(1), []
            continue
        m = re.match(r"^@@ END (\S+)(?: rc=(\d+))?$", line)
        if m and current == m.group(1):
            sections[current] = (body, int(m.group(2)) if m.group(2) else None)
            current = None
            continue
        if current is not None:
            body.append(line)
    return sections, "@@ STAGE done" in text, lines


def format_size(n):
    """The report's size text: scaled to G, M, K or bytes, decimals by magnitude."""
    rows = [(100 * 2**30, 0, "G", 2**30), (10 * 2**30, 1, "G", 2**30), (2**30, 2, "G", 2**30),
            (100 * 2**20, 0, "M", 2**20), (10 * 2**20, 1, "M", 2**20), (2**20, 2, "M", 2**20),
            (100 * 2**10, 0, "K", 2**10), (10 * 2**10, 1, "K", 2**10), (2**10, 2, "K", 2**10)]
    for minimum, decimals, unit, divisor in rows:
        if n >= minimum:
            return f"{n / divisor:.{decimals}f} {unit}bytes"
    return f"{n} bytes"


def smartctl_rows(lines):
    """Attribute rows of `smartctl -A -v N,raw48`: id, flags, value, worst, threshold, raw."""
    rows = []
    for line in lines:
        m = re.match(r"^\s*(\d+)\s+(\S+)\s+0x([0-9a-fA-F]{4})\s+(\d+)\s+(\d+)\s+(\d+)\s+\S+\s+\S+\s+\S+\s+(\d+)\s*$", line)
        if m:
            rows.append({"id": int(m.group(1)), "flags": int(m.group(3), 16), "value": int(m.group(4)),
                         "worst": int(m.group(5)), "threshold": int(m.group(6)), "raw": int(m.group(7))})
    return rows


def judge(rows, failing=()):
    """What the report must say about each attribute row, and the summary lines; the rows whose
    IDs are in failing are failing whatever their values."""
    best, states, failed = 100, [], 0
    temperature, realloc = 0, 0
    for r in rows:
        if r["id"] in (3, 4) and r["value"] > 230:
            best = 253
        state = "-"
        if r["flags"] & 1 and r["threshold"] != 0:
            v, w, t = r["value"], r["worst"], r["threshold"]
            if v < t:
                state, failed = "Failing Now", failed + 1
            elif w < t:
                state, failed = "Failed In Past", failed + 1
            elif v < t + int((best - t) / 2) or (r["id"] == 5 and r["raw"] > 500):
                state = "Warning"
            else:
                state = "OK"
        if r["id"] in failing:
            failed += state not in ("Failing Now", "Failed In Past")
            state = "Failing Now"
        states.append(state)
        if r["id"] == 5 and 0 < r["raw"] < 2147483647:
            realloc = r["raw"]
        if r["id"] == 194:
            temperature = r["raw"] & 0xFF
    return states, failed, temperature, realloc


def smartctl_nvme(lines):
    """The fields of smartctl's NVMe health log section: "Name: number ..." by name."""
    fields = {}
    for line in lines:
        m = re.match(r"^([A-Za-z][A-Za-z .]*?):\s+(0x[0-9a-fA-F]+|[\d,]+)", line)
        if m:
            fields[re.sub(r"\s+", " ", m.group(1))] = int(m.group(2).replace(",", ""), 0)
    return fields


# The report's rows for an NVMe health log: ATA attribute ID, how it is made from smartctl's
# fields (current = worst, threshold, raw), its flags (1 pre-failure, 0x10 event count), and the
# critical-warning bits that make it "Failing Now".
NVME_ROWS = [
    (9, lambda f: (100, 0, f["Power On Hours"]), 0x10, 0),
    (12, lambda f: (100, 0, f["Power Cycles"]), 0x10, 0),
    (174, lambda f: (100, 0, f["Unsafe Shutdowns"]), 0x10, 0),
    (187, lambda f: (100, 0, f["Media and Data Integrity Errors"]), 0x10, 0x04),
    (194, lambda f: (100, 0, f["Temperature"]), 0, 0x02),
    (232, lambda f: (f["Available Spare"], f["Available Spare Threshold"], f["Available Spare"]), 1, 0x01),
    (233, lambda f: (max(0, 100 - f["Percentage Used"]), 0, f["Percentage Used"]), 0, 0x38),
    (241, lambda f: (100, 0, f["Data Units Written"] * 1000), 0x10, 0),
    (242, lambda f: (100, 0, f["Data Units Read"] * 1000), 0x10, 0),
]


def nvme_rows(fields):
    """The attribute rows smartctl's reading of an NVMe health log gives, and the IDs its critical
    warnings fail."""
    rows, failing = [], []
    for attr, values, flags, warnings in NVME_ROWS:
        current, threshold, raw = values(fields)
        rows.append({"id": attr, "flags": flags, "value": current, "worst": current, "threshold": threshold, "raw": raw})
        if fields["Critical Warning"] & warnings:
            failing.append(attr)
    return rows, failing


def identify_model(words):
    """The model text of an IDENTIFY block given as hexadecimal words."""
    w = [int(x, 16) for x in words.split()]
    return "".join(chr(v >> 8) + chr(v & 0xFF) for v in w[27:47]).strip()


def blob_identity(path):
    """Model, serial number, size in bytes, NVMe critical warning and USB ID (VVVV:PPPP, or empty)
    of a drive file (tagged blocks): from its ATA IDENTIFY block, or from its NVMe Identify
    Controller block (total capacity), health log and enclosure's USB ID."""
    data, at, tags = Path(path).read_bytes(), 0, {}
    while at + 8 <= len(data):
        length = int.from_bytes(data[at + 4:at + 8], "big")
        tags[data[at:at + 4]] = data[at + 8:at + 8 + length]
        at += 8 + length
    if b"IDFY" not in tags:
        controller, health = tags[b"NIDC"], tags.get(b"NHLG", b"\0")
        name = lambda a, b: controller[a:b].decode("latin-1").strip()
        capacity = int.from_bytes(controller[280:288], "little")
        usb = tags.get(b"USBI", b"")
        usb_id = f"{int.from_bytes(usb[0:2], 'little'):04x}:{int.from_bytes(usb[2:4], 'little'):04x}" if len(usb) >= 4 else ""
        return name(24, 64), name(4, 24), capacity or BRIDGE_DEFAULT_BYTES, health[0], usb_id
    ident = tags[b"IDFY"]
    word = lambda n: int.from_bytes(ident[2 * n:2 * n + 2], "little")
    text = lambda a, b: "".join(chr(word(n) >> 8) + chr(word(n) & 0xFF) for n in range(a, b)).strip()
    lba48 = word(83) & 0x0400
    blocks = sum(word(100 + k) << (16 * k) for k in range(4)) if lba48 else word(60) | word(61) << 16
    return text(27, 47), text(10, 20), blocks * 512, 0, ""


def identify(disk, sections):
    """Which configured disk a guest disk is, by what smartctl read from it."""
    info = "\n".join(sections.get(f"smartctl-i-{disk}", ([], None))[0])
    found = {k: m.group(1).strip() for k, pat in
             (("model", r"Device Model:\s*(.*)"), ("nvme_model", r"Model Number:\s*(.*)"),
              ("serial", r"(?i)Serial Number:\s*(.*)"), ("vendor", r"Vendor:\s*(.*)"), ("product", r"Product:\s*(.*)"),
              ("firmware", r"Firmware Version:\s*(.*)"))
             if (m := re.search(pat, info))}
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--boot", action="append", default=[], help="NAME=console log")
    ap.add_argument("--disk", action="append", default=[],
                    help="BOOT:KIND:MODEL:SERIAL:BYTES:LOGICAL/PHYSICAL[:CRITICAL-WARNING[:USB-SERIAL]]")
    ap.add_argument("--tools", type=int, default=2, help="0 when the guest ran no qm- tool")
    ap.add_argument("--out", help="folder for the decoded reports")
    ap.add_argument("--replay", action="append", default=[],
                    help="USB-SERIAL=qm-smart-replay's report of the drive file the disk of that USB serial plays")
    ap.add_argument("--bridge", action="append", default=[],
                    help="BOOT:NAME=yes|no: whether the emulated bridge NAME of that boot receives a maker's NVMe command")
    ap.add_argument("--identify-blob", help="print MODEL|SERIAL|BYTES|CRITICAL-WARNING|USB-ID of a drive file and stop")
    args = ap.parse_args()
    if args.identify_blob:
        print("|".join(str(v) for v in blob_identity(args.identify_blob)))
        return 0
    replays = dict(r.split("=", 1) for r in args.replay)

    checks = Checks()
    for boot in args.boot:
        name, log = boot.split("=", 1)
        configured = [dict(zip(("kind", "model", "serial", "bytes", "sectors", "warning", "usb"), d.split(":")[1:]))
                      for d in args.disk if d.split(":", 1)[0] == name]
        for c in configured:
            c["bytes"] = int(c["bytes"])
            c["warning"] = int(c.get("warning", "0"), 0)
            c["logical"], c["physical"] = (int(x) for x in c["sectors"].split("/"))
        print(f"== boot {name} ({log})")
        sections, done, lines = parse_console(log)
        if not checks.expect(done, "guest ran its payload to the end"):
            print("\n".join("    | " + line for line in lines[-40:]))
            continue
        disks = sections.get("sysblock", ([], None))[0]
        disks = [d for d in disks if d]
        checks.expect(len(disks) == len(configured), f"guest has {len(configured)} whole disks", f"found {disks}")

        for disk in disks:
            fields = sections.get(f"sysfs-{disk}", ([], None))[0]
            print(f"  sysfs {disk}: " + "  ".join(f for f in fields if not f.startswith("ata_id=")))
            for f in fields:
                if f.startswith("ata_id="):
                    print(f"  sysfs {disk}: IDENTIFY model words 27-46: {identify_model(f[7:])!r}")
        smartoff = [line.split()[2:] for line in lines if line.startswith("@@ SMARTOFF ")]
        for serial, disk, count in smartoff:
            checks.expect(count == "0", f"SMART switched off on {disk} ({serial}) before a tool ran: smartctl reads no attributes",
                          f"{count} attribute rows")

        # The guest's disks in drive-number order, each matched to its configuration.
        order = []
        for disk in disks:
            got = identify(disk, sections)
            # An emulated bridge's disk is known by its USB serial: two drive files may hold the
            # same drive.
            usb_serial = next((f[12:-1] for f in sections.get(f"sysfs-{disk}", ([], None))[0]
                               if f.startswith("usb_serial=[")), None)
            match = None
            for c in (c for c in configured if all(c is not m for _, m in order)):
                if c.get("usb") is not None and c["usb"] != usb_serial:
                    continue
                if c["kind"] in ("ata", "sat") and got.get("model") == c["model"] and got.get("serial") == c["serial"]:
                    match = c
                elif c["kind"] == "usb" and f'{got.get("vendor", "")} {got.get("product", "")}' == c["model"]:
                    match = c
                elif c["kind"] == "nvme" and disk.startswith("nvme") and got.get("serial") == c["serial"]:
                    match = c
                elif c["kind"] == "usbnvme" and got.get("serial") == c["serial"]:
                    match = c
            if checks.expect(match is not None, f"{disk} is a configured disk", f"smartctl saw {got}"):
                checks.expect(got.get("serial") == match["serial"], f"{disk}: smartctl reads serial {match['serial']}",
                              f"got {got.get('serial')!r}")
            order.append((disk, match))

        check_bridge_logs(checks, sections, dict(b.split(":", 1)[1].split("=", 1) for b in args.bridge
                                                 if b.split(":", 1)[0] == name))
        if args.tools == 0:
            continue
        check_inventory(checks, name, sections, order)
        check_identify(checks, sections, order)
        check_report(checks, name, sections, order, args.out, replays)
        check_console_run(checks, name, sections, order, args.out)

    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


def maker_command(cdb):
    """Whether a logged command block is one of the makers' NVMe pass-through blocks: Realtek's E4h,
    ASMedia's E6h, or JMicron's 12-byte block with the admin flag in byte 1 (which ATA
    PASS-THROUGH (12) never sets: our program sends no multiple count)."""
    return cdb[0] in (0xE4, 0xE6) or (cdb[0] == 0xA1 and len(cdb) == 12 and cdb[1] & 0x80 != 0)


def check_bridge_logs(checks, sections, bridges):
    """The command blocks each emulated bridge received: a bridge whose USB ID is outside the
    program's table of NVMe bridges never gets a maker's command."""
    for name, allowed in bridges.items():
        body, _ = sections.get(f"bridge-{name}", ([], None))
        blocks = [[int(x, 16) for x in line.split()[1:-2]] for line in body if line.startswith("cdb ")]
        makers = [b for b in blocks if maker_command(b)]
        print(f"  bridge {name}: {len(blocks)} command blocks, {len(makers)} of them a maker's NVMe command")
        if allowed == "no":
            checks.expect(blocks and not makers, f"bridge {name} (USB ID outside the NVMe bridge table) receives no "
                          "maker's command", " ".join(f"{x:02x}" for x in (makers[0] if makers else [])))
        else:
            checks.expect(len(makers) > 0, f"bridge {name} receives its maker's NVMe commands")


def check_console_run(checks, name, sections, order, out):
    """qm-smart-run --no-upload: the contact block, then the very blocks qm-smart-report wrote."""
    body, rc = sections.get("qm-smart-run", ([], None))
    progress = sections.get("qm-smart-run-stderr", ([], None))[0]
    checks.expect(rc == 0, "qm-smart-run --no-upload exits 0", f"rc={rc} stderr={progress}")
    data = base64.b64decode("".join(body))
    report = base64.b64decode("".join(sections.get("qm-smart-report", ([], None))[0]))
    if out:
        Path(out, f"smart-run-{name}.txt").write_bytes(data)
        Path(out, f"smart-run-{name}.stderr.txt").write_text("".join(line + "\n" for line in progress))
    contact = b"Jo Smith\r\n0412555019\r\njo@example.com\r\nYes, you may contact me.\r\n"
    checks.expect(data == contact + report, "qm-smart-run prints the contact block and qm-smart-report's blocks",
                  repr(data[:200]))
    lines = [line for line in progress if line]
    checks.expect(lines[:1] == [f"There are {len(order)} disks to be tested."], "qm-smart-run's disk count line",
                  repr(lines[:1]))
    progress_lines = [line.split(":")[0] for line in lines[1:] if line.startswith("Disk ")]
    checks.expect(progress_lines == [f"Disk {k} of {len(order)}" for k in range(1, len(order) + 1)],
                  "qm-smart-run's progress line per disk", repr(lines[1:]))


def check_inventory(checks, name, sections, order):
    body, rc = sections.get("qm-disks", ([], None))
    checks.expect(rc == 0, "qm-disks exits 0", f"rc={rc} stderr={sections.get('qm-disks-stderr', ([], 0))[0]}")
    text = base64.b64decode("".join(body)).decode("latin-1")
    print("  qm-disks:\n" + "".join(f"    | {line}\n" for line in text.rstrip("\n").split("\n")))
    lines = text.rstrip("\n").split("\n")
    checks.expect(lines[0] == str(len(order)), f"qm-disks counts {len(order)} disks", f"first line {lines[0]!r}")
    for n, (disk, c) in enumerate(order):
        fields = lines[n + 1].split("\t") if n + 1 < len(lines) else []
        if not checks.expect(len(fields) == 4, f"qm-disks line for drive {n}", repr(fields)):
            continue
        device_id, model, size, interface = fields
        # Object text writes strings with backslashes doubled; the component keeps them so.
        checks.expect(device_id in (f"\\\\.\\PHYSICALDRIVE{n}", f"\\\\\\\\.\\\\PHYSICALDRIVE{n}"),
                      f"drive {n} DeviceID", device_id)
        checks.expect(c is not None and size == str(c["bytes"]), f"drive {n} ({disk}) Size", size)
        if c is None:
            continue
        checks.expect(interface == INTERFACE[c["kind"]], f"drive {n} ({disk}) InterfaceType {INTERFACE[c['kind']]}",
                      interface)
        if c["kind"] == "ata":
            # The whole ATA model, not the 16 characters the SCSI layer keeps of it.
            checks.expect(model == c["model"], f"drive {n} ({disk}) Model is the drive's whole model", repr(model))


def parse_identify(text):
    """qemu-identify's output: one dict of fields per drive number."""
    drives = []
    for line in text.split("\n"):
        m = re.match(r"^drive (\d+) opened=(\d)$", line)
        if m:
            drives.append({"opened": m.group(2) == "1"})
            continue
        m = re.match(r"^  (\w+)=(?:\[(.*)\]|(-?\d+))$", line)
        if m and drives:
            drives[-1][m.group(1)] = m.group(2) if m.group(2) is not None else int(m.group(3))
    return drives


def check_identify(checks, sections, order):
    body, rc = sections.get("qemu-identify", ([], None))
    text = base64.b64decode("".join(body)).decode("latin-1")
    print("  qemu-identify:\n" + "".join(f"    | {line}\n" for line in text.rstrip("\n").split("\n")))
    drives = parse_identify(text)
    checks.expect(rc == 0 and len(drives) == len(order) + 1 and not drives[-1]["opened"],
                  f"identification opens drives 0..{len(order) - 1} and no further", f"{len(drives)} entries")
    for n, ((disk, c), d) in enumerate(zip(order, drives)):
        if c is None:
            continue
        if c["kind"] in ("ata", "sat"):
            checks.expect(d.get("SmartEnabled") == 1 and d.get("ModelNumber") == c["model"] and
                          d.get("DiskBytes") == c["bytes"], f"drive {n} ({disk}) identified through ATA IDENTIFY",
                          f"{d}")
            # SATA disks give the serial as text, PATA disks (ATA bus) as hexadecimal pairs.
            checks.expect(d.get("SerialNumber") == c["serial"], f"drive {n} ({disk}) serial {c['serial']}",
                          repr(d.get("SerialNumber")))
        elif c["kind"] == "usb":
            vendor, product = c["model"].split(" ", 1)
            checks.expect(d.get("VendorId") == vendor.ljust(8) and d.get("ProductId") == product.ljust(16),
                          f"drive {n} ({disk}) vendor and product from SCSI INQUIRY",
                          f"{d.get('VendorId')!r} {d.get('ProductId')!r}")
        elif c["kind"] in ("nvme", "usbnvme"):
            # Model, serial number and firmware come from Identify Controller, as smartctl reads
            # them; behind a bridge through the maker's commands. Windows names NVMe the vendor of
            # an NVMe disk; no INQUIRY goes to the namespace.
            route = " through its bridge" if c["kind"] == "usbnvme" else ""
            got = identify(disk, sections)
            if c["kind"] == "nvme":
                checks.expect(d.get("VendorId") == "NVMe", f"drive {n} ({disk}) vendor NVMe", repr(d.get("VendorId")))
            checks.expect(d.get("SmartEnabled") == 1 and d.get("DiskBytes") == c["bytes"],
                          f"drive {n} ({disk}) has its size and SMART (the health log{route})", f"{d}")
            checks.expect((d.get("ModelNumber"), d.get("SerialNumber"), d.get("FirmwareRev")) ==
                          (got.get("nvme_model"), c["serial"], got.get("firmware")),
                          f"drive {n} ({disk}) model, serial and firmware of Identify Controller{route}",
                          f"{d.get('ModelNumber')!r} {d.get('SerialNumber')!r} {d.get('FirmwareRev')!r} != {got}")
            if c["kind"] == "nvme":
                checks.expect(d.get("ErrorText") == "", f"drive {n} ({disk}) identified without a failed request",
                              repr(d.get("ErrorText")))
        if c["kind"] == "usb":
            checks.expect(d.get("SmartEnabled") == 0 and d.get("DiskBytes") == c["bytes"],
                          f"drive {n} ({disk}) has its size and no SMART", f"{d}")
            checks.expect(d.get("SerialNumber") == c["serial"], f"drive {n} ({disk}) serial {c['serial']} from the "
                          "storage descriptor", repr(d.get("SerialNumber")))
            checks.expect(d.get("ErrorText") == "", f"drive {n} ({disk}) identified without a failed request",
                          repr(d.get("ErrorText")))
        sectors = (d.get("LogicalSectorSize"), d.get("PhysicalSectorSize"), d.get("TotalSectors"))
        checks.expect(sectors == (c["logical"], c["physical"], c["bytes"] // c["logical"]),
                      f"drive {n} ({disk}) sectors of {c['logical']}/{c['physical']} bytes, {c['bytes'] // c['logical']} of them",
                      str(sectors))


def check_report(checks, name, sections, order, out, replays):
    body, rc = sections.get("qm-smart-report", ([], None))
    checks.expect(rc == 0, "qm-smart-report exits 0", f"rc={rc} stderr={sections.get('qm-smart-report-stderr', ([], 0))[0]}")
    data = base64.b64decode("".join(body))
    if out:
        Path(out, f"report-{name}.txt").write_bytes(data)
    checks.expect(data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b""),
                  "report lines end in CR LF, and only there")
    lines = data[:-2].split(b"\r\n") if data.endswith(b"\r\n") else data.split(b"\r\n")
    print("  report:\n" + "".join(f"    | {line.decode('latin-1')}\n" for line in lines))

    blocks, current = [], None
    for line in lines:
        m = re.match(rb"^===\| Disk (\d+) \|(=*)$", line)
        if m:
            checks.expect(m.group(2) == b"=" * 60, f"disk {m.group(1).decode()} header line has 60 equals signs")
            current = [int(m.group(1))]
            continue
        if line == END_LINE and current is not None:
            blocks.append(current)
            current = None
        elif current is not None:
            current.append(line)
    checks.expect([b[0] for b in blocks] == list(range(len(order))),
                  f"report has blocks 0..{len(order) - 1}, in order", str([b[0] for b in blocks]))

    for (disk, c), block in zip(order, blocks):
        n, rest = block[0], block[1:]
        if c is None or not rest:
            checks.expect(False, f"block {n} ({disk}) has content")
            continue
        size = format_size(c["bytes"]).encode()
        smartctl_a = sections.get(f"smartctl-A-{disk}", ([], None))[0]
        if c.get("usb") in replays:
            replayed = Path(replays[c["usb"]]).read_bytes().split(b"\r\n")[1:-2]
            checks.expect(rest == replayed, f"block {n} ({disk}) is qm-smart-replay's block of the same drive file",
                          f"{rest!r} != {replayed!r}")
        if c["kind"] in ("ata", "sat"):
            drive = f"Model: {c['model']}, Serial: {c['serial']}, Size = ".encode() + size
            checks.expect(rest[0] == drive, f"block {n} ({disk}) drive line", repr(rest[0]))
            check_attributes(checks, n, disk, rest[1:], smartctl_rows(smartctl_a))
        elif c["kind"] in ("nvme", "usbnvme"):
            model = identify(disk, sections).get("nvme_model", "")
            drive = f"Model: {model}, Serial: {c['serial']}, Size = ".encode() + size
            checks.expect(rest[0] == drive, f"block {n} ({disk}) drive line", repr(rest[0]))
            fields = smartctl_nvme(smartctl_a)
            if not checks.expect("Critical Warning" in fields and fields["Critical Warning"] == c["warning"],
                                 f"block {n} ({disk}): smartctl reads critical warning {c['warning']:#04x}",
                                 str(fields)):
                continue
            rows, failing = nvme_rows(fields)
            check_attributes(checks, n, disk, rest[1:], rows, failing)
            if c["warning"]:
                checks.expect(len(rest) > 3 and rest[3].startswith(b"Result: SMART Test Failed, Bad Attributes "),
                              f"block {n} ({disk}) with critical warnings has the failed result line",
                              repr(rest[3] if len(rest) > 3 else rest))
        else:
            m = re.match(rb"^Model: (.*), Serial: (.*), Size = (.*)$", rest[0])
            ok = checks.expect(m is not None, f"block {n} ({disk}) drive line", repr(rest[0]))
            if ok:
                checks.expect(m.group(3) == size, f"block {n} ({disk}) size {size.decode()}", repr(m.group(3)))
                # The storage descriptor carries the serial: the USB device's, the NVMe controller's.
                checks.expect(m.group(2) == c["serial"].encode(), f"block {n} ({disk}) serial {c['serial']}",
                              repr(m.group(2)))
            checks.expect(rest[1:] == [b"SMART Not Supported"], f"block {n} ({disk}) ends with SMART Not Supported",
                          repr(rest[1:]))


def check_attributes(checks, n, disk, rest, rows, failing=()):
    if not checks.expect(len(rows) > 0, f"block {n} ({disk}): smartctl read attributes"):
        return
    states, failed, temperature, realloc = judge(rows, failing)
    want_result = b"Result: SMART Test PASSED" if failed == 0 else b"Result: SMART Test Failed, Bad Attributes %d" % failed
    want = [b"Temp : %d\xb0C" % temperature, b"Realloc Sec: %d" % realloc, want_result, HEADER]
    checks.expect(rest[:4] == want, f"block {n} ({disk}) temperature, realloc, result and header lines",
                  f"{rest[:4]!r} != {want!r}")
    got_rows = rest[4:]
    checks.expect(len(got_rows) == len(rows), f"block {n} ({disk}) has {len(rows)} attribute rows as smartctl",
                  str(len(got_rows)))
    print(f"  {disk}: smartctl -A  |  report row")
    for r, state, line in zip(rows, states, got_rows):
        f = line.decode("latin-1").split(";")
        print(f"    {r['id']:3} {r['value']:3} {r['worst']:3} {r['threshold']:3} {r['raw']:>12}  |  {';'.join(f)}")
        want_fields = [str(r["id"]), None, state, str(r["value"]), str(r["worst"]), str(r["threshold"]), str(r["raw"]),
                       "Y" if r["flags"] & 1 else "N", "Y" if r["flags"] & 0x10 else "N", "Y" if r["flags"] & 8 else "N"]
        ok = len(f) == 10 and f[1] != "" and all(w is None or w == g for w, g in zip(want_fields, f))
        checks.expect(ok, f"block {n} ({disk}) attribute {r['id']} row",
                      f"want {';'.join(w or '<name>' for w in want_fields)}")


if __name__ == "__main__":
    sys.exit(main())
