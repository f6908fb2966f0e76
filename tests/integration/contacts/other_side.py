#!/usr/bin/python3
"""The other side of the contact tests: a third-party CardDAV client made of python3-vobject and urllib.

  other_side.py put    URL USER PASSWORD --uid U --fn NAME [--email A] [--categories A,B]
  other_side.py edit   URL USER PASSWORD --fn NAME [--categories A,B]   (GET, change, PUT with If-Match)
  other_side.py delete URL USER PASSWORD
  other_side.py putfile URL USER PASSWORD --file CARD                (PUT of the file as it is)
  other_side.py get    URL USER PASSWORD                           (the card as the server holds it)
  other_side.py list   BOOK_URL USER PASSWORD                          (one JSON line per card)
  other_side.py clear  BOOK_URL USER PASSWORD                          (deletes every card of the book)
"""
import argparse
import json
import re
import sys
import urllib.error
import urllib.request

import vobject


def opener(url, user, password):
    manager = urllib.request.HTTPPasswordMgrWithDefaultRealm()
    manager.add_password(None, url, user, password)
    return urllib.request.build_opener(urllib.request.HTTPDigestAuthHandler(manager),
                                       urllib.request.HTTPBasicAuthHandler(manager))


def request(open_url, method, url, body=None, headers=None):
    req = urllib.request.Request(url, data=body, method=method, headers=headers or {})
    try:
        with open_url.open(req, timeout=30) as answer:
            return answer.status, dict(answer.headers), answer.read()
    except urllib.error.HTTPError as error:
        return error.code, dict(error.headers), error.read()


def card_hrefs(open_url, book_url):
    body = b'<?xml version="1.0"?><d:propfind xmlns:d="DAV:"><d:prop><d:getetag/></d:prop></d:propfind>'
    status, _, text = request(open_url, "PROPFIND", book_url, body,
                              {"Depth": "1", "Content-Type": "application/xml"})
    if status != 207:
        raise SystemExit("PROPFIND %s: %d" % (book_url, status))
    hrefs = re.findall(r"<(?:[A-Za-z0-9]+:)?href>([^<]*\.vcf)</(?:[A-Za-z0-9]+:)?href>", text.decode())
    root = re.match(r"(https?://[^/]+)", book_url).group(1)
    return [root + href for href in hrefs]


def put_new(open_url, url, body):
    status, _, _ = request(open_url, "PUT", url, body,
                           {"Content-Type": "text/vcard; charset=utf-8", "If-None-Match": "*"})
    print(status)
    return 0 if status in (200, 201, 204) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command")
    parser.add_argument("url")
    parser.add_argument("user")
    parser.add_argument("password")
    parser.add_argument("--uid")
    parser.add_argument("--fn")
    parser.add_argument("--email")
    parser.add_argument("--categories")
    parser.add_argument("--file")
    args = parser.parse_args()
    open_url = opener(args.url, args.user, args.password)

    if args.command == "put":
        card = vobject.vCard()
        card.add("uid").value = args.uid
        card.add("fn").value = args.fn
        card.add("n").value = vobject.vcard.Name(family=args.fn.split()[-1], given=args.fn.split()[0])
        if args.email:
            email = card.add("email")
            email.value = args.email
            email.type_param = ["INTERNET", "HOME"]
        if args.categories:
            card.add("categories").value = args.categories.split(",")
        return put_new(open_url, args.url, card.serialize().encode())
    if args.command == "edit":
        status, headers, body = request(open_url, "GET", args.url)
        if status != 200:
            raise SystemExit("GET %s: %d" % (args.url, status))
        card = vobject.readOne(body.decode())
        card.fn.value = args.fn
        if args.categories is not None:
            if hasattr(card, "categories"):
                card.categories.value = args.categories.split(",")
            else:
                card.add("categories").value = args.categories.split(",")
        etag = {k.lower(): v for k, v in headers.items()}.get("etag")
        extra = {"Content-Type": "text/vcard; charset=utf-8"}
        if etag:
            extra["If-Match"] = etag
        status, _, _ = request(open_url, "PUT", args.url, card.serialize().encode(), extra)
        print(status)
        return 0 if status in (200, 201, 204) else 1
    if args.command == "putfile":
        with open(args.file, "rb") as card:
            return put_new(open_url, args.url, card.read())
    if args.command == "get":
        status, _, body = request(open_url, "GET", args.url)
        if status != 200:
            raise SystemExit("GET %s: %d" % (args.url, status))
        # A card another client stored as other bytes than UTF-8 is shown, not refused.
        sys.stdout.write(body.decode(errors="replace"))
        return 0
    if args.command == "delete":
        status, _, _ = request(open_url, "DELETE", args.url)
        print(status)
        return 0 if status in (200, 204) else 1
    if args.command in ("list", "clear"):
        for href in card_hrefs(open_url, args.url):
            if args.command == "clear":
                request(open_url, "DELETE", href)
                continue
            status, _, body = request(open_url, "GET", href)
            if status != 200:
                continue
            card = vobject.readOne(body.decode(errors="replace"))
            categories = []
            for line in card.contents.get("categories", []):
                categories.extend(line.value)
            print(json.dumps({
                "href": href,
                "fn": card.fn.value if hasattr(card, "fn") else "",
                "email": [e.value for e in card.contents.get("email", [])],
                "categories": sorted(categories),
                "uid": card.uid.value if hasattr(card, "uid") else "",
            }, sort_keys=True))
        return 0
    raise SystemExit("unknown command " + args.command)


if __name__ == "__main__":
    sys.exit(main())
