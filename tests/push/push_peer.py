#!/usr/bin/python3
"""Independent push peer, from the message tables: 512-byte little-endian headers.
serve KIND PORT COUNT DIR   accept COUNT messages on 127.0.0.1:PORT (0: any), one JSON line each
send KIND PORT FIELDS       build a message from the JSON FIELDS, send it, and keep a copy in FIELDS["out"]"""
import hashlib, json, random, socket, struct, sys
HEAD = {"alarm": "<ii72sq4i4B404x", "busi": "<qi4x64sqq416x"}  # field tables of both headers

def serve(kind, port, count, out):
    srv = socket.create_server(("127.0.0.1", int(port)))
    print("port", srv.getsockname()[1], flush=True)
    for i in range(int(count)):
        conn, _ = srv.accept()
        with conn, conn.makefile("rb") as f:
            head = f.read(512)
            v = struct.unpack(HEAD[kind], head)
            total, kind_id, sender, stamp = v[:4]
            sha, size, keep = hashlib.sha256(head), 512, total <= 1 << 26
            data = [head]
            while chunk := f.read(1 << 20):
                sha.update(chunk); size += len(chunk)
                if keep: data.append(chunk)
        if keep: open(f"{out}/msg{i}.bin", "wb").write(b"".join(data))
        print(json.dumps({"i": i, "total": total, "type": kind_id, "size": size, "sha256": sha.hexdigest(),
                          "sender": sender.split(b"\0")[0].decode(errors="replace"), "time": stamp}), flush=True)

def send(kind, port, fields):
    s = json.loads(fields)
    rnd = random.Random(s.get("seed", 1))
    if kind == "alarm":
        lens, kinds = s.get("lens", [0] * 4), s.get("kinds", [0] * 4)
        body = b"".join(rnd.randbytes(n) for n in lens if n > 0)
        head = struct.pack(HEAD[kind], s.get("total", 512 + sum(lens)), s["type"], s["sender"].encode(), s["time"], *lens, *kinds)
    else:
        body = open(s["payload"], "rb").read() if "payload" in s else rnd.randbytes(s.get("size", 0))
        head = struct.pack(HEAD[kind], 512 + len(body), s["type"], s["sender"].encode(), s["time"], 0)
    msg = head + body
    open(s["out"], "wb").write(msg)
    with socket.create_connection(("127.0.0.1", int(port))) as c:
        c.sendall(msg)
    print("sent", len(msg), flush=True)

if __name__ == "__main__":
    serve(*sys.argv[2:]) if sys.argv[1] == "serve" else send(*sys.argv[2:])
