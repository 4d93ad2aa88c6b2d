// A small static server for dist/web: scripts/run-web runs it in the
// foreground. Right MIME types (application/wasm for the core, the
// manifest's own), and "no-cache" so the browser asks again each time
// (answered 304 when nothing changed): the service worker's update check
// then always sees a new build.
//
//     node web/server.mjs DIR [PORT]

import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { pathToFileURL } from "node:url";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".webmanifest": "application/manifest+json",
  ".json": "application/json",
  ".png": "image/png",
  ".svg": "image/svg+xml",
  ".ico": "image/x-icon",
  ".pt3": "text/plain; charset=us-ascii",
  ".txt": "text/plain; charset=utf-8",
};

export function createServer(dir) {
  const base = path.resolve(dir);
  return http.createServer((request, response) => {
    if (request.method !== "GET" && request.method !== "HEAD") {
      response.writeHead(405, { Allow: "GET, HEAD" }).end();
      return;
    }
    let name;
    try {
      name = decodeURIComponent(new URL(request.url ?? "/", "http://localhost").pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (name.endsWith("/")) name += "index.html";
    const file = path.resolve(base, `.${name}`);
    // Nothing outside the folder, and no hidden files (the build's stamps).
    if (!file.startsWith(base + path.sep) || path.basename(file).startsWith(".")) {
      response.writeHead(404).end();
      return;
    }
    fs.stat(file, (error, stat) => {
      if (error || !stat.isFile()) {
        response.writeHead(404, { "Content-Type": "text/plain; charset=utf-8" }).end("not found\n");
        return;
      }
      const etag = `"${stat.size.toString(16)}-${Math.floor(stat.mtimeMs).toString(16)}"`;
      const headers = {
        "Content-Type": TYPES[path.extname(file).toLowerCase()] ?? "application/octet-stream",
        "Cache-Control": "no-cache",
        ETag: etag,
        "X-Content-Type-Options": "nosniff",
      };
      if (request.headers["if-none-match"] === etag) {
        response.writeHead(304, headers).end();
        return;
      }
      response.writeHead(200, { ...headers, "Content-Length": stat.size });
      if (request.method === "HEAD") {
        response.end();
        return;
      }
      fs.createReadStream(file).pipe(response);
    });
  });
}

// Serves `root` at `host`:`port` (0: a free port); for the tests.
export function serve({ root, port = 8047, host = "127.0.0.1" }) {
  const server = createServer(root);
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(port, host, () => {
      const { port: bound } = server.address();
      resolve({
        url: `http://${host}:${bound}`,
        close: () => new Promise((done) => { server.closeAllConnections?.(); server.close(() => done()); }),
      });
    });
  });
}

if (process.argv[1] && import.meta.url === pathToFileURL(path.resolve(process.argv[1])).href) {
  const dir = process.argv[2];
  const port = Number(process.argv[3] ?? 8047);
  if (!dir || !Number.isInteger(port) || port <= 0 || port > 65535) {
    console.error("usage: node web/server.mjs DIR [PORT]");
    process.exit(2);
  }
  const server = createServer(dir);
  server.on("error", (error) => {
    console.error(`run-web: ${error.message}`);
    process.exit(1);
  });
  server.listen(port, "127.0.0.1", () => {
    console.log(`VK-47ロボット制御３: http://localhost:${port}/  (Ctrl+C で止まります)`);
  });
  const stop = () => server.close(() => process.exit(0));
  process.on("SIGINT", stop);
  process.on("SIGTERM", stop);
}
