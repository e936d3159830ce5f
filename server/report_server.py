#!/usr/bin/env python3
"""The service's report server for the demo: "/rrp?id=<report id>" answers with the report's file.

    report_server.py --index FILE --address A [--address B ...] --port N [--port-file FILE]

The reports are those listed in --index (written by sample_data.py --report-index: id, title,
institution, publication date, type, rating, stock code; tab-separated UTF-8), re-read when the file
changes. Each answer is a small one-page PDF made from the report's line; an id that is not listed
gets 404. Listens on every --address (loopback only) at the same --port; once all listen, it prints
"PORT <n>" and writes the port number into --port-file.
"""

import argparse
import ipaddress
import os
import signal
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Index:
    def __init__(self, path):
        self.path = path
        self.stamp = None
        self.reports = {}
        self.lock = threading.Lock()

    def get(self, report_id):
        with self.lock:
            try:
                st = os.stat(self.path)
                stamp = (st.st_mtime_ns, st.st_size)
            except OSError:
                stamp = None
            if stamp != self.stamp:
                self.stamp = stamp
                self.reports = {}
                if stamp is not None:
                    with open(self.path, encoding="utf-8") as f:
                        for line in f:
                            fields = line.rstrip("\n").split("\t")
                            if len(fields) >= 7:
                                self.reports[fields[0]] = fields
            return self.reports.get(report_id)


def pdf_text(text):
    return "(" + text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)") + ")"


def utf16_hex(text):
    return "<" + text.encode("utf-16-be").hex().upper() + ">"


def make_pdf(fields):
    report_id, title, org, published, kind, level, code = fields[:7]
    lines = [
        ("F1", 18, pdf_text("Vintrel research report")),
        ("F2", 14, utf16_hex(title)),
        ("F2", 11, utf16_hex(org)),
        ("F1", 11, pdf_text(f"Report {report_id}   Stock {code or '-'}   Published {published}")),
        ("F2", 11, utf16_hex(f"{kind}  {level}")),
        ("F1", 9, pdf_text("A sample document of the local demo service.")),
    ]
    content = ["BT", "72 760 Td"]
    for font, size, text in lines:
        content += [f"/{font} {size} Tf", f"{text} Tj", f"0 -{size + 12} Td"]
    content.append("ET")
    stream = "\n".join(content).encode("ascii")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R"
        b" /Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> >>",
        b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        # A predefined CJK font, so that the titles show without embedding one.
        b"<< /Type /Font /Subtype /Type0 /BaseFont /MSung-Light /Encoding /UniCNS-UCS2-H"
        b" /DescendantFonts [7 0 R] >>",
        b"<< /Type /Font /Subtype /CIDFontType0 /BaseFont /MSung-Light"
        b" /CIDSystemInfo << /Registry (Adobe) /Ordering (CNS1) /Supplement 0 >> /FontDescriptor 8 0 R >>",
        b"<< /Type /FontDescriptor /FontName /MSung-Light /Flags 6 /FontBBox [-160 -249 1015 1071]"
        b" /ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 880 /StemV 93 >>",
        ("<< /Title %s /Producer (Vintrel demo service) >>" % utf16_hex(title)).encode("ascii"),
    ]
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        len(objects) + 1, len(objects), xref)
    return bytes(out)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VintrelReports/1.0"
    index = None

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(parts.query)
        report_id = query.get("id", [""])[-1].strip()
        fields = self.index.get(report_id) if parts.path == "/rrp" and report_id else None
        if fields is None:
            self.send_error(404, "no such report")
            return
        body = make_pdf(fields)
        self.send_response(200)
        self.send_header("Content-Type", "application/pdf")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--index", required=True)
    parser.add_argument("--address", action="append", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--port-file")
    args = parser.parse_args()
    for address in args.address:
        if not ipaddress.ip_address(address).is_loopback:
            parser.error("not a loopback address: " + address)

    Handler.index = Index(os.path.abspath(args.index))
    servers = [Server((address, args.port), Handler) for address in args.address]
    port = servers[0].server_address[1]
    threads = [threading.Thread(target=s.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True)
               for s in servers]
    for t in threads:
        t.start()
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()

    done = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: done.set())
    while not done.wait(0.5):
        pass
    for s in servers:
        s.shutdown()
        s.server_close()


if __name__ == "__main__":
    main()
