package test;

/** One line to standard output, one to standard error. */
public class ErrWriter {
  public static void main(String[] args) {
    System.out.println("line to System.out");
    System.err.println("line to System.err");
  }
}
