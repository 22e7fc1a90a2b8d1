#!/usr/bin/env python3
"""Self-test of the platform simulator: starts a private instance as a daemon, talks to it over
plain sockets and http.client, stops it, and prints a closing verdict line."""

import base64
import hashlib
import http.client
import io
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SIMULATOR = os.path.join(ROOT, "tools", "simulator", "simulator.py")
sys.path.insert(0, os.path.dirname(SIMULATOR))

from services import scramble  # noqa: E402

PORT = None
WORK = tempfile.mkdtemp(prefix="ntsim-selftest-")
PORT_FILE = os.path.join(WORK, "sim.port")

LIHUA = "XS7f3a9c01lihua"


def setUpModule():
    global PORT
    subprocess.run([sys.executable, SIMULATOR, "--daemon", "--port-file", PORT_FILE,
                    "--log", os.path.join(WORK, "sim.log")], check=True, timeout=30)
    with open(PORT_FILE) as f:
        PORT = int(f.read())


def tearDownModule():
    subprocess.run([sys.executable, SIMULATOR, "--stop", "--port-file", PORT_FILE],
                   check=True, timeout=30)


def raw_request(target, method=b"GET", headers=b"", body=b"", timeout=10):
    """Sends one request with exactly these bytes; returns (status, headers dict, body)."""
    with socket.create_connection(("127.0.0.1", PORT), timeout=timeout) as s:
        s.sendall(method + b" " + target + b" HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                  + headers + b"Content-Length: %d\r\n\r\n" % len(body) + body)
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    fields = {k.strip().lower(): v.strip() for k, _, v in (l.partition(":") for l in lines[1:])}
    return int(lines[0].split()[1]), fields, rest


def call(method, path, body=None, headers=None, lane=""):
    """(status, headers, body) through http.client on a fresh connection."""
    conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
    try:
        data = json.dumps(body).encode() if isinstance(body, (dict, list)) else body
        conn.request(method, lane + path, body=data, headers=headers or {})
        reply = conn.getresponse()
        return reply.status, reply, reply.read()
    finally:
        conn.close()


def get_json(path, lane=""):
    status, _, body = call("GET", path, lane=lane)
    return json.loads(body.decode("utf-8"))


def control(path, body=None, lane=""):
    status, _, reply = call("POST", "/_sim/" + path, body if body is not None else {}, lane=lane)
    return status, json.loads(reply.decode("utf-8"))


def requests(lane=""):
    return get_json("/_sim/requests", lane)["requests"]


def sign_in_path(name, password, logintype="username", encoding="utf-8"):
    pw = password.encode(encoding)
    return (b"/sso/authorize?logintype=" + logintype.encode() +
            b"&response_type=xsid&client_id=ime_upload_tool&username=" + name.encode(encoding) +
            b"&password=wemp&sha1shadow=" + hashlib.sha1(pw).hexdigest().encode() +
            b"&md5shadow=" + hashlib.md5(pw).hexdigest().encode())


def multipart(parts, boundary=b"------------------------ntsimboundary0001"):
    body = b""
    for name, filename, ctype, data in parts:
        body += b"--" + boundary + b"\r\nContent-Disposition: form-data; name=\"" + name + b"\""
        if filename is not None:
            body += b"; filename=\"" + filename + b"\""
        body += b"\r\n"
        if ctype:
            body += b"Content-Type: " + ctype + b"\r\n"
        body += b"\r\n" + data + b"\r\n"
    body += b"--" + boundary + b"--\r\n"
    return b"Content-Type: multipart/form-data; boundary=" + boundary + b"\r\n", body


PHOTO = b"\xff\xd8\xff\xe0" + bytes(range(256)) * 5 + b"\r\n--\r\n\r\n------" + b"\xff\xd9"


class SimTest(unittest.TestCase):
    def setUp(self):
        self.assertEqual(control("reset")[0], 200)


class SignIn(SimTest):
    def test_user_name_with_correct_digests_gets_ticket(self):
        status, _, body = raw_request(sign_in_path("lihua", "Pass1234"))
        self.assertEqual(status, 200)
        self.assertEqual(json.loads(body), {"xsid": LIHUA, "jid": "4401031987",
                                            "message": "登录成功"})

    def test_mobile_and_email_login_types(self):
        for name, kind in (("13812345678", "mobile"), ("lihua@school.cn", "email")):
            body = raw_request(sign_in_path(name, "Pass1234", kind))[2]
            self.assertEqual(json.loads(body)["xsid"], LIHUA, kind)

    def test_wrong_login_type_is_refused(self):
        body = raw_request(sign_in_path("13812345678", "Pass1234", "username"))[2]
        self.assertEqual(json.loads(body), {"xsid": None, "jid": None,
                                            "message": "用户名或密码错误"})

    def test_wrong_password_and_upper_case_digests_are_refused(self):
        self.assertIsNone(json.loads(raw_request(sign_in_path("lihua", "pass1234"))[2])["xsid"])
        upper = sign_in_path("lihua", "Pass1234").replace(
            hashlib.md5(b"Pass1234").hexdigest().encode(),
            hashlib.md5(b"Pass1234").hexdigest().upper().encode())
        reply = json.loads(raw_request(upper)[2])
        self.assertIsNone(reply["xsid"])
        self.assertEqual(reply["message"], "用户名或密码错误")

    def test_real_password_in_place_of_placeholder_is_refused(self):
        path = sign_in_path("lihua", "Pass1234").replace(b"password=wemp", b"password=Pass1234")
        self.assertIsNone(json.loads(raw_request(path)[2])["xsid"])

    def test_chinese_name_in_gbk_raw_and_percent_encoded(self):
        raw = sign_in_path("张伟", "密码2016", encoding="gbk")
        self.assertEqual(json.loads(raw_request(raw)[2])["xsid"], "XS3e8a7b6czhangwei")
        name = "张伟".encode("gbk")
        escaped = raw.replace(name, b"".join(b"%%%02X" % c for c in name))
        self.assertEqual(json.loads(raw_request(escaped)[2])["xsid"], "XS3e8a7b6czhangwei")
        recorded = requests()
        self.assertEqual(base64.b64decode(recorded[0]["path_b64"]), raw)
        self.assertEqual(recorded[0]["path"], raw.decode("latin-1"))
        self.assertEqual(base64.b64decode(recorded[1]["path_b64"]), escaped)

    def test_only_digests_of_the_gbk_password_count(self):
        control("fixture", {"accounts": [{"username": "pierre", "password": "Café",
                                          "xsid": "XSp", "jid": "44", "extension": "s3"}]})
        for encoding in ("utf-8", "cp1252"):
            path = sign_in_path("pierre", "Café", encoding=encoding)
            self.assertIsNone(json.loads(raw_request(path)[2])["xsid"], encoding)
        path = sign_in_path("pierre", "Café", encoding="gbk")
        self.assertEqual(json.loads(raw_request(path)[2])["xsid"], "XSp")

    def test_user_name_check_verifies_sign(self):
        sign = hashlib.md5(b"4401031987" + LIHUA.encode() + b"718vok").hexdigest()
        ok = get_json("/api/CheckLogin/checkUsername?sign=%s&xsid=%s&jid=4401031987"
                      % (sign, LIHUA))
        self.assertEqual(ok["errorCode"], 0)
        bad = get_json("/api/CheckLogin/checkUsername?sign=%s&xsid=%s&jid=4401031987"
                       % (sign.upper(), LIHUA))
        self.assertEqual((bad["errorCode"], bad["errorMessage"]), (3, "签名校验失败"))
        unknown = get_json("/api/CheckLogin/checkUsername?sign=%s&xsid=nobody&jid=4401031987"
                           % sign)
        self.assertEqual(unknown["errorCode"], 1)

    def test_role_check(self):
        self.assertEqual(get_json("/api/ClientPublic/getSchoolUserType?xsid=" + LIHUA),
                         {"extension": "s3", "message": ""})
        self.assertEqual(get_json("/api/ClientPublic/getSchoolUserType?xsid=XS55e1b7d2zhaomin")
                         ["extension"], "S3")
        self.assertEqual(get_json("/api/ClientPublic/getSchoolUserType?xsid=XS91c2e4f5wang")
                         ["extension"], "t2")
        self.assertIsNone(get_json("/api/ClientPublic/getSchoolUserType?xsid=x")["extension"])


class Lookup(SimTest):
    def test_province_servers_point_back_at_the_simulator(self):
        reply = get_json("/api/CheckLogin/getProviceIP?xsid=%s&province_code=44" % LIHUA)
        base = "http://127.0.0.1:%d" % PORT
        self.assertEqual(reply, {"errorCode": 0, "errorMessage": "", "data": {
            "first": base + "/first", "second": base + "/second", "province_code": "44"}})
        only_first = get_json("/api/CheckLogin/getProviceIP?xsid=%s&province_code=11" % LIHUA)
        self.assertEqual((only_first["data"]["first"], only_first["data"]["second"]),
                         (base + "/first", ""))
        in_lane = get_json("/api/CheckLogin/getProviceIP?xsid=%s&province_code=31" % LIHUA,
                           lane="/_lane/t1")
        self.assertEqual(in_lane["data"]["second"], base + "/_lane/t1/second")

    def test_unknown_or_one_byte_province_code_is_refused(self):
        for code in ("4", "", "99"):
            reply = get_json("/api/CheckLogin/getProviceIP?xsid=%s&province_code=%s"
                             % (LIHUA, code))
            self.assertEqual((reply["errorCode"], reply["errorMessage"]),
                             (2, "该省份暂未开通电子档案服务"))

    def test_file_number_check_replies(self):
        path = "/%s/api/Ef/checkFileno?file_no=%s&xsid=" + LIHUA
        self.assertEqual(get_json(path % ("second", "A123"))["data"], {
            "student_id": "S10001", "class_id": "C0302", "accessible": True,
            "grade_name": "三年级", "class_name": "2班"})
        self.assertEqual(get_json(path % ("first", "G440103200901015678"))["data"]["student_id"],
                         "S10001")
        self.assertNotIn("class_name", get_json(path % ("first", "D012"))["data"])
        self.assertIsNone(get_json(path % ("first", "E345"))["data"]["grade_name"])
        self.assertFalse(get_json(path % ("first", "B456"))["data"]["accessible"])
        self.assertEqual(get_json(path % ("first", "A123%20"))["errorCode"], 3)
        self.assertEqual(get_json("/first/api/Ef/checkFileno?file_no=A123&xsid=x")["errorCode"], 1)


class Upload(SimTest):
    def post(self, target, parts):
        headers, body = multipart(parts)
        status, _, reply = raw_request(target, b"POST", headers, body)
        self.assertEqual(status, 200)
        return json.loads(reply)

    def test_first_server_wants_the_buffer_part_scrambled(self):
        target = b"/first/index.php?xsid=" + LIHUA.encode() + b"&student_id=S10001&action=upload"
        ok = self.post(target, [(b"file", b"li_CompPic.jpg", b"image/jpeg", PHOTO),
                                (b"file", b"li_CompPic.jpg", b"image/jpeg", scramble(PHOTO))])
        self.assertEqual(ok["errorCode"], 0)
        plain = self.post(target, [(b"file", b"li_CompPic.jpg", b"image/jpeg", PHOTO),
                                   (b"file", b"li_CompPic.jpg", b"image/jpeg", PHOTO)])
        self.assertEqual((plain["errorCode"], plain["errorMessage"]), (5, "上传文件校验失败"))

    def test_scrambling_twice_gives_the_input_back(self):
        self.assertEqual(scramble(scramble(PHOTO)), PHOTO)
        self.assertNotEqual(scramble(PHOTO), PHOTO)
        # The keystream starts afresh with every buffer and repeats every 512 bytes.
        zeros = scramble(bytes(1030))
        self.assertEqual(zeros[:8], bytes.fromhex("3ea55d4e10b24e27"))
        self.assertEqual(zeros[512:520], zeros[:8])

    def test_second_server_records_both_parts(self):
        target = b"/second/api/Ef/upload?xsid=" + LIHUA.encode() + b"&stu_id=S10001"
        name = "淺色_CompPic.jpg".encode("gbk")
        reply = self.post(target, [(b"file", name, b"image/jpeg", PHOTO),
                                   (b"file", name, b"image/jpeg", PHOTO)])
        self.assertEqual(reply["data"], {"student_id": "S10001", "file_name": "淺色_CompPic.jpg",
                                         "size": len(PHOTO)})
        parts = requests()[0]["parts"]
        self.assertEqual([(p["name"], p["filename"], p["content_type"]) for p in parts],
                         [("file", "淺色_CompPic.jpg", "image/jpeg")] * 2)
        self.assertEqual([base64.b64decode(p["data_b64"]) for p in parts], [PHOTO, PHOTO])

    def test_refusals(self):
        target = b"/second/api/Ef/upload?xsid=" + LIHUA.encode() + b"&stu_id=%s"
        one_part = self.post(target % b"S10001", [(b"file", b"a.jpg", b"image/jpeg", PHOTO)])
        self.assertEqual(one_part["errorCode"], 4)
        other_school = self.post(target % b"S20001", [(b"file", b"a.jpg", b"image/jpeg", PHOTO),
                                                      (b"file", b"a.jpg", b"image/jpeg", PHOTO)])
        self.assertEqual(other_school["errorCode"], 6)
        # Like the real servers: two parts, both image/jpeg under a GBK file name without a
        # path, the first a JPEG.
        good = (b"file", b"a.jpg", b"image/jpeg", PHOTO)
        for parts in ([good, (b"file", b"a.jpg", None, PHOTO)],
                      [good, (b"file", b"a.jpg", b"application/octet-stream", PHOTO)],
                      [(b"file", b"D:\\a.jpg", b"image/jpeg", PHOTO)] * 2,
                      [(b"file", b"a.png", b"image/jpeg", PHOTO)] * 2,
                      [(b"file", b"a.jpg", b"image/jpeg", b"GIF89a" + PHOTO[6:])] * 2):
            reply = self.post(target % b"S10001", parts)
            self.assertEqual(reply["errorCode"], 4, parts[1][:3])
        utf8 = "色.jpg".encode("utf-8")  # not GBK: its last byte pairs with "."
        reply = self.post(target % b"S10001", [(b"file", utf8, b"image/jpeg", PHOTO)] * 2)
        self.assertEqual(reply["errorCode"], 4)
        self.assertEqual(call("GET", "/second/api/Ef/upload")[0], 405)


class Update(SimTest):
    def check(self, body, content_type="application/x-www-form-urlencoded"):
        status, _, reply = call("POST", "/update/version/interfaces/version/getVersionInfo.htm",
                                body.encode(), {"Content-Type": content_type})
        self.assertEqual(status, 200)
        return json.loads(reply.decode("utf-8"))

    def test_offer_for_an_older_version(self):
        self.assertEqual(self.check("version=2.0.5&type=0"), {
            "success": True, "versionnum": "2.1.0", "forcedupdate": False,
            "describle": "1. 修复照片上传偶尔失败的问题\n2. 截图新增马赛克工具",
            "data": [{"name": "core.zip", "url": "/pkg/core.zip"},
                     {"name": "skin.zip", "url": "/pkg/skin.zip"}]})

    def test_no_offer_for_current_newer_or_malformed_requests(self):
        for body in ("version=2.1.0&type=0", "version=2.10&type=0", "version=2.0.5",
                     "version=&type=0"):
            self.assertFalse(self.check(body)["success"], body)
        self.assertFalse(self.check("version=2.0.5&type=0", "text/plain")["success"])

    def test_fixture_change_lasts_until_reset(self):
        self.assertEqual(control("fixture", {"update": {"forcedupdate": True,
                                                        "packages": ["reboot.zip"]}})[0], 200)
        offer = self.check("version=1.0&type=0")
        self.assertEqual((offer["forcedupdate"], offer["data"]),
                         (True, [{"name": "reboot.zip", "url": "/pkg/reboot.zip"}]))
        control("reset")
        self.assertFalse(self.check("version=1.0&type=0")["forcedupdate"])

    def test_package_list_other_than_names_is_passed_on(self):
        control("fixture", {"update": {"packages": None}})
        offer = self.check("version=1.0&type=0")
        self.assertEqual((offer["success"], offer["data"]), (True, None))

    def test_package_is_a_zip_with_a_utf16_setup_script(self):
        status, reply, body = call("GET", "/update/pkg/core.zip")
        self.assertEqual((status, int(reply.getheader("Content-Length"))), (200, len(body)))
        with zipfile.ZipFile(io.BytesIO(body)) as z:
            self.assertIn("files/tools/helper.dat", z.namelist())
            self.assertTrue(z.read("setup.xml").startswith(b"\xff\xfe<\0?\0x\0m\0l\0"))
        self.assertEqual(call("GET", "/update/pkg/core.zip")[2], body)

    def test_range_gives_206_with_the_remaining_bytes(self):
        whole = call("GET", "/update/pkg/core.zip")[2]
        status, reply, part = call("GET", "/update/pkg/core.zip", headers={"Range": "bytes=300-"})
        self.assertEqual((status, part), (206, whole[300:]))
        self.assertEqual(reply.getheader("Content-Length"), str(len(whole) - 300))
        self.assertEqual(reply.getheader("Content-Range"),
                         "bytes 300-%d/%d" % (len(whole) - 1, len(whole)))
        self.assertEqual(call("GET", "/update/pkg/core.zip",
                              headers={"Range": "bytes=0-"})[2], whole)
        status, reply, rest = call("GET", "/update/pkg/core.zip",
                                   headers={"Range": "bytes=%d-" % len(whole)})
        # A resume from the end names the package's size, so a client can see it has it all.
        self.assertEqual((status, reply.getheader("Content-Range"), rest),
                         (416, "bytes */%d" % len(whole), b""))

    def test_packages_added_through_the_fixture(self):
        payload = {"packages": {"big.zip": {"files": {"a.txt": "甲"}, "filler": 300000}}}
        self.assertEqual(control("fixture", payload)[0], 200)
        body = call("GET", "/update/pkg/big.zip")[2]
        with zipfile.ZipFile(io.BytesIO(body)) as z:
            self.assertEqual(z.read("a.txt"), "甲".encode())
            self.assertEqual(len(z.read("filler.bin")), 300000)
        control("fixture", {"packages": {"升级包.zip": {"files": {"b.txt": "乙"}}}})
        name = "升级包.zip".encode("utf-8")
        escaped = b"".join(b"%%%02X" % c for c in name)
        self.assertEqual(raw_request(b"/update/pkg/" + name)[0], 200)
        self.assertEqual(base64.b64decode(requests()[-1]["path_b64"]), b"/update/pkg/" + name)
        self.assertEqual(raw_request(b"/update/pkg/" + escaped)[2],
                         raw_request(b"/update/pkg/" + "升级包.zip".encode("gbk"))[2])
        status, answer = control("fixture", {"packages": {"x.zip": {"folder": "missing"}}})
        self.assertEqual((status, answer["ok"]), (400, False))
        self.assertEqual(call("GET", "/update/pkg/x.zip")[0], 404)


class Faults(SimTest):
    ROLE = "/api/ClientPublic/getSchoolUserType?xsid=" + LIHUA

    def fault(self, **payload):
        self.assertEqual(control("fault", payload), (200, {"ok": True}))

    def test_error_pages_non_json_and_refusal(self):
        self.fault(path="/api/ClientPublic", kind="html404")
        self.fault(path="/api/ClientPublic", kind="html500")
        self.fault(path="/api/ClientPublic", kind="notjson")
        self.fault(path="/api/ClientPublic", kind="refuse")
        self.fault(path="/api/ClientPublic", kind="refuse", code=42, message="系统维护")
        status, reply, body = call("GET", self.ROLE)
        self.assertEqual((status, reply.getheader("Content-Type")), (404, "text/html"))
        self.assertEqual(call("GET", self.ROLE)[0], 500)
        status, _, body = call("GET", self.ROLE)
        self.assertEqual(status, 200)
        self.assertRaises(ValueError, json.loads, body)
        self.assertEqual(json.loads(call("GET", self.ROLE)[2]),
                         {"errorCode": 1, "errorMessage": "请求被拒绝"})
        self.assertEqual(json.loads(call("GET", self.ROLE)[2]),
                         {"errorCode": 42, "errorMessage": "系统维护"})
        self.assertEqual(json.loads(call("GET", self.ROLE)[2])["extension"], "s3")

    def test_reply_sends_exactly_the_body(self):
        self.fault(path="/first/api/Ef/checkFileno", kind="reply", status=201,
                   body='{"errorCode": "0", "data": {"accessible": "yes"}}')
        status, _, body = call("GET", "/first/api/Ef/checkFileno?file_no=A123&xsid=" + LIHUA)
        self.assertEqual((status, body),
                         (201, b'{"errorCode": "0", "data": {"accessible": "yes"}}'))

    def test_count_and_until_reset(self):
        self.fault(path="/api", kind="html500", count=2)
        self.assertEqual([call("GET", self.ROLE)[0] for _ in range(3)], [500, 500, 200])
        self.fault(path="/api", kind="html404", count=0)
        self.assertEqual([call("GET", self.ROLE)[0] for _ in range(4)], [404] * 4)
        control("reset")
        self.assertEqual(call("GET", self.ROLE)[0], 200)

    def test_prefix_matches_the_path_not_the_query(self):
        self.fault(path="/api/ClientPublic/getSchoolUserType?xsid", kind="html500")
        self.assertEqual(call("GET", self.ROLE)[0], 200)

    def test_short_and_drop_close_early(self):
        self.fault(path="/update/pkg/", kind="short", extra=50)
        whole = b""
        with socket.create_connection(("127.0.0.1", PORT), timeout=10) as s:
            s.sendall(b"GET /update/pkg/skin.zip HTTP/1.1\r\nHost: x\r\n\r\n")
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                whole += chunk
        head, _, body = whole.partition(b"\r\n\r\n")
        announced = int([l for l in head.split(b"\r\n") if l.lower().startswith(b"content-length")]
                        [0].split(b":")[1])
        self.assertEqual(announced, len(body) + 50)
        self.fault(path="/update/pkg/", kind="drop", bytes=123)
        status, fields, body = raw_request(b"/update/pkg/skin.zip")
        self.assertEqual(len(body), 123)
        self.assertEqual(int(fields["content-length"]), len(call("GET", "/update/pkg/skin.zip")[2]))

    def test_ignore_range_serves_everything_with_200(self):
        self.fault(path="/update/pkg/core.zip", kind="ignore_range")
        status, _, body = call("GET", "/update/pkg/core.zip", headers={"Range": "bytes=300-"})
        self.assertEqual((status, body), (200, call("GET", "/update/pkg/core.zip")[2]))

    def test_hang_blocks_only_its_own_request_until_reset(self):
        self.fault(path="/sso", kind="hang")
        hung = socket.create_connection(("127.0.0.1", PORT), timeout=1)
        hung.sendall(b"GET /sso/authorize HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assertRaises(socket.timeout, hung.recv, 1)
        self.assertEqual(call("GET", self.ROLE)[0], 200)
        control("reset")
        hung.settimeout(5)
        self.assertEqual(hung.recv(1), b"")  # closed without an answer
        hung.close()

    def test_malformed_faults_are_refused(self):
        for payload in ({"path": "sso", "kind": "hang"}, {"path": "/sso", "kind": "explode"},
                     {"path": "/sso", "kind": "hang", "count": -1}, [1]):
            status, answer = control("fault", payload)
            self.assertEqual((status, answer["ok"]), (400, False), payload)


class Recording(SimTest):
    def test_headers_body_and_order_are_kept_and_control_is_not_recorded(self):
        call("POST", "/update/version/interfaces/version/getVersionInfo.htm", b"version=1&type=0",
             {"Content-Type": "application/x-www-form-urlencoded", "X-Probe": "1"})
        call("GET", "/nowhere?a=%41&b")
        recorded = requests()
        self.assertEqual([(r["method"], r["path"]) for r in recorded],
                         [("POST", "/update/version/interfaces/version/getVersionInfo.htm"),
                          ("GET", "/nowhere?a=%41&b")])
        self.assertEqual(recorded[0]["headers"]["X-Probe"], "1")
        self.assertEqual(base64.b64decode(recorded[0]["body_b64"]), b"version=1&type=0")
        self.assertEqual(recorded[0]["parts"], [])

    def test_absolute_form_target_is_served_and_recorded_as_a_path(self):
        target = b"http://127.0.0.1:%d/api/ClientPublic/getSchoolUserType?xsid=" % PORT
        status, _, body = raw_request(target + LIHUA.encode())
        self.assertEqual((status, json.loads(body)["extension"]), (200, "s3"))
        self.assertEqual(requests()[0]["path"],
                         "/api/ClientPublic/getSchoolUserType?xsid=" + LIHUA)

    def test_lanes_keep_records_and_faults_apart(self):
        control("fault", {"path": "/", "kind": "html500", "count": 0}, lane="/_lane/a")
        self.assertEqual(call("GET", "/x", lane="/_lane/a")[0], 500)
        self.assertEqual(call("GET", "/x", lane="/_lane/b")[0], 404)
        self.assertEqual(call("GET", "/x")[0], 404)
        self.assertEqual([r["path"] for r in requests("/_lane/a")], ["/x"])
        control("reset", lane="/_lane/b")
        self.assertEqual(len(requests("/_lane/a")), 1)
        control("reset", lane="/_lane/a")
        self.assertEqual(requests("/_lane/a"), [])

    def test_keep_alive_connection_serves_several_requests(self):
        conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
        try:
            for _ in range(3):
                conn.request("GET", Faults.ROLE)
                reply = conn.getresponse()
                self.assertEqual(json.loads(reply.read())["extension"], "s3")
        finally:
            conn.close()

    def test_same_port_answers_https_with_a_certificate_nobody_trusts(self):
        unchecked = ssl.create_default_context()
        unchecked.check_hostname = False
        unchecked.verify_mode = ssl.CERT_NONE
        conn = http.client.HTTPSConnection("127.0.0.1", PORT, timeout=10, context=unchecked)
        try:
            conn.request("GET", Faults.ROLE)
            self.assertEqual(json.loads(conn.getresponse().read())["extension"], "s3")
        finally:
            conn.close()
        checked = http.client.HTTPSConnection("127.0.0.1", PORT, timeout=10)
        with self.assertRaises(ssl.SSLCertVerificationError):
            checked.request("GET", Faults.ROLE)
        checked.close()
        # The refused handshake leaves the port serving plain http.
        self.assertEqual(call("GET", Faults.ROLE)[0], 200)


class StartUp(unittest.TestCase):
    def start(self, fixture_text):
        fixture = os.path.join(WORK, "bad-fixture.json")
        with open(fixture, "w", encoding="utf-8") as f:
            f.write(fixture_text)
        port_file = os.path.join(WORK, "bad.port")
        run = subprocess.run([sys.executable, SIMULATOR, "--daemon", "--port-file", port_file,
                              "--fixture", fixture], capture_output=True, text=True, timeout=30)
        self.assertFalse(os.path.exists(port_file))
        return run.returncode, run.stderr

    def test_bad_fixture_stops_start_up_with_a_reason(self):
        code, message = self.start('{"accounts": [')
        self.assertEqual(code, 1)
        self.assertIn("cannot read fixture", message)
        code, message = self.start('{"packages": {"gone.zip": {"folder": "no-such-folder"}}}')
        self.assertEqual(code, 1)
        self.assertIn('package "gone.zip": no folder', message)


if __name__ == "__main__":
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    failed = len(result.failures) + len(result.errors)
    print("simulator self-test: %d run, %d failed -> %s"
          % (result.testsRun, failed, "PASS" if result.wasSuccessful() else "FAIL"))
    sys.exit(0 if result.wasSuccessful() else 1)
