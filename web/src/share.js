// The input in a link: deflated by the browser (CompressionStream) and
// written as base64url after #z=, so that the link works offline and from
// disk; the page refuses what would give a link over LINK_LIMIT.
export const LINK_LIMIT = 32 * 1024;
const PREFIX = '#z=';

async function through(stream, bytes) {
  const out = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(out).arrayBuffer());
}

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

// The fragment for `text`, or {tooLarge: kilobytes}.
export async function encodeInput(text) {
  const packed = toBase64Url(await through(new CompressionStream('deflate-raw'), new TextEncoder().encode(text)));
  if (packed.length > LINK_LIMIT) return { tooLarge: Math.ceil(packed.length / 1024) };
  return { fragment: PREFIX + packed };
}

// The input a fragment carries, or null when it carries none.
export async function decodeInput(fragment) {
  if (!fragment.startsWith(PREFIX)) return null;
  try {
    const bytes = await through(new DecompressionStream('deflate-raw'), fromBase64Url(fragment.slice(PREFIX.length)));
    return new TextDecoder().decode(bytes);
  } catch {
    return null;
  }
}
